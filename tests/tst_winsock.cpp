#include "platform/WinSock.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>

using namespace winsock;

namespace {

constexpr int Timeout = 5000;
constexpr long ConnectMask = FD_READ | FD_CONNECT | FD_CLOSE;
constexpr long ListenMask = FD_READ | FD_ACCEPT | FD_CLOSE;
constexpr int InjectedError = WSAENETDOWN; // never produced by loopback

struct Seen
{
    SOCKET socket;
    int event;
    int error;
    unsigned message;
};

// Stands in for the main window: records the socket events it receives.
class EventLog : public QObject
{
public:
    QList<Seen> seen;
    std::function<void(SOCKET)> onEvent;

    int count(SOCKET s, int event) const
    {
        const auto matches = [&](const Seen &e) {
            return e.socket == s && e.event == event;
        };
        return int(std::count_if(seen.begin(), seen.end(), matches));
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != SocketMessage::eventType())
            return QObject::event(e);
        const auto *message = static_cast<SocketMessage *>(e);
        seen.append({message->socket(), message->selectEvent(), message->selectError(),
                     message->message()});
        if (onEvent)
            onEvent(message->socket());
        return true;
    }
};

sockaddr_in loopback(u_short port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    return address;
}

u_short portOf(SOCKET s)
{
    sockaddr_in address{};
    int length = sizeof address;
    return getsockname(s, &address, &length) == 0 ? ntohs(address.sin_port) : 0;
}

// Reads until `expected` bytes came, the peer closed or the time ran out.
QByteArray readAll(SOCKET s, int expected)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    QByteArray buffer(65536, 0);
    while (data.size() < expected && timer.elapsed() < Timeout) {
        const int n = recv(s, buffer.data(), int(buffer.size()), 0);
        if (n > 0)
            data.append(buffer.constData(), n);
        else if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            break;
        else
            QTest::qWait(5);
    }
    return data;
}

// Makes the named call with harmless arguments; true when it failed.
bool callFails(const QByteArray &call, SOCKET s, QObject *window)
{
    char buffer[1024] = {};
    sockaddr_in address = loopback(0);
    int length = sizeof address;
    if (call == "WSACleanup")
        return WSACleanup() == SOCKET_ERROR;
    if (call == "WSAAsyncSelect")
        return WSAAsyncSelect(s, window, WM_USER, ConnectMask) == SOCKET_ERROR;
    if (call == "socket") {
        const SOCKET created = socket(AF_INET, SOCK_STREAM, 6);
        if (created == INVALID_SOCKET)
            return true;
        closesocket(created);
        return false;
    }
    if (call == "bind")
        return bind(s, &address, length) == SOCKET_ERROR;
    if (call == "listen")
        return listen(s, 5) == SOCKET_ERROR;
    if (call == "accept")
        return accept(s, &address, &length) == INVALID_SOCKET;
    if (call == "connect")
        return connect(s, &address, length) == SOCKET_ERROR;
    if (call == "closesocket")
        return closesocket(s) == SOCKET_ERROR;
    if (call == "send")
        return send(s, "x", 1, 0) == SOCKET_ERROR;
    if (call == "recv")
        return recv(s, buffer, 1, 0) == SOCKET_ERROR;
    if (call == "getsockname")
        return getsockname(s, &address, &length) == SOCKET_ERROR;
    if (call == "gethostname")
        return gethostname(buffer, int(sizeof buffer)) == SOCKET_ERROR;
    if (call == "gethostbyname")
        return gethostbyname("localhost") == nullptr;
    if (call == "getservbyname")
        return getservbyname("http", "tcp") == nullptr;
    if (call == "getprotobyname")
        return getprotobyname("tcp") == nullptr;
    qFatal("unknown call %s", call.constData());
}

} // namespace

class TestWinSock : public QObject
{
    Q_OBJECT

    struct Pair
    {
        SOCKET listener = 0;
        SOCKET client = 0;
        SOCKET server = 0;
    };

    // A listener registered with the server log, a client registered with the client log,
    // connected and accepted.
    void connectPair(Pair &pair, EventLog &serverLog, EventLog &clientLog)
    {
        pair.listener = socket(AF_INET, SOCK_STREAM, 6);
        const sockaddr_in any = loopback(0);
        QCOMPARE(bind(pair.listener, &any, sizeof any), 0);
        QCOMPARE(listen(pair.listener, 5), 0);
        QCOMPARE(WSAAsyncSelect(pair.listener, &serverLog, WM_USER, ListenMask), 0);
        pair.client = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(WSAAsyncSelect(pair.client, &clientLog, WM_USER, ConnectMask), 0);
        const sockaddr_in target = loopback(portOf(pair.listener));
        const int result = winsock::connect(pair.client, &target, sizeof target);
        QVERIFY(result == 0 || WSAGetLastError() == WSAEWOULDBLOCK);
        QTRY_COMPARE_WITH_TIMEOUT(clientLog.count(pair.client, FD_CONNECT), 1, Timeout);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.listener, FD_ACCEPT), 1, Timeout);
        sockaddr_in peer{};
        int length = sizeof peer;
        pair.server = accept(pair.listener, &peer, &length);
        QVERIFY(pair.server > 0);
        QCOMPARE(QByteArray(inet_ntoa(peer.sin_addr)), "127.0.0.1");
    }

private slots:
    void init()
    {
        WSADATA data;
        QCOMPARE(WSAStartup(0x0101, &data), 0);
        QCOMPARE(data.wVersion, u_short(0x0101));
    }

    void cleanup()
    {
        WSAClearFailures();
        while (WSACleanup() == 0) {
        }
    }

    void notStarted_data()
    {
        QTest::addColumn<QByteArray>("call");
        const char *calls[] = {"WSACleanup",    "WSAAsyncSelect", "socket",        "bind",
                               "listen",        "accept",         "connect",       "closesocket",
                               "send",          "recv",           "getsockname",   "gethostname",
                               "gethostbyname", "getservbyname",  "getprotobyname"};
        for (const char *call : calls)
            QTest::newRow(call) << QByteArray(call);
    }

    void notStarted()
    {
        QFETCH(QByteArray, call);
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(s > 0);
        QCOMPARE(WSACleanup(), 0);
        EventLog log;
        QVERIFY(callFails(call, s, &log));
        QCOMPARE(WSAGetLastError(), WSANOTINITIALISED);
    }

    void faultInjection_data() { notStarted_data(); }

    void faultInjection()
    {
        QFETCH(QByteArray, call);
        EventLog log;
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        WSAFailNext(call, InjectedError);
        QVERIFY(callFails(call, s, &log));
        QCOMPARE(WSAGetLastError(), InjectedError);
        // Once only: a second call may fail for its own reasons, not for the injected one.
        if (callFails(call, s, &log))
            QVERIFY(WSAGetLastError() != InjectedError);
    }

    void faultInjectionStartUp()
    {
        QCOMPARE(WSACleanup(), 0);
        WSADATA data;
        WSAFailNext("WSAStartup", WSASYSNOTREADY);
        QCOMPARE(WSAStartup(0x0101, &data), WSASYSNOTREADY);
        QCOMPARE(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
        QCOMPARE(WSAStartup(0x0101, &data), 0);
        QCOMPARE(WSAStartup(0x0101, nullptr), WSAEFAULT);
        QCOMPARE(WSAStartup(0x0000, &data), WSAVERNOTSUPPORTED);
    }

    void handlesNeverZeroNorReused()
    {
        QSet<SOCKET> handles;
        QList<SOCKET> open;
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < 4; ++i) {
                const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
                QVERIFY(s > 0);
                QVERIFY(!handles.contains(s));
                handles.insert(s);
                open.append(s);
            }
            QCOMPARE(closesocket(open.takeFirst()), 0);
            if (round == 1) {
                // Clean-up closes what is still open; the next start-up goes on counting.
                QCOMPARE(WSACleanup(), 0);
                QCOMPARE(WSACleanup(), SOCKET_ERROR);
                QCOMPARE(WSAGetLastError(), WSANOTINITIALISED);
                WSADATA data;
                QCOMPARE(WSAStartup(0x0101, &data), 0);
                QCOMPARE(closesocket(open.first()), SOCKET_ERROR);
                QCOMPARE(WSAGetLastError(), WSAENOTSOCK);
                open.clear();
            }
        }
        QCOMPARE(closesocket(0), SOCKET_ERROR);
        QCOMPARE(WSAGetLastError(), WSAENOTSOCK);
    }

    void connectAndAccept()
    {
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(clientLog.seen.size(), 1);
        QCOMPARE(clientLog.seen[0].error, 0);
        QCOMPARE(clientLog.seen[0].message, WM_USER);
        // Nothing else waits: the listener would block, which is no failure of the connection.
        QCOMPARE(accept(pair.listener, nullptr, nullptr), INVALID_SOCKET);
        QCOMPARE(WSAGetLastError(), WSAEWOULDBLOCK);
        // The accepted socket reports with the listener's registration.
        QCOMPARE(send(pair.client, "hello", 5, 0), 5);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.server, FD_READ), 1, Timeout);
        QCOMPARE(serverLog.seen.first().event, FD_ACCEPT);
        QCOMPARE(serverLog.seen.last().message, WM_USER);
        char buffer[16] = {};
        QCOMPARE(recv(pair.server, buffer, sizeof buffer, 0), 5);
        QCOMPARE(QByteArray(buffer), "hello");
    }

    void connectRefused()
    {
        // A port that was just free: bound, never listened on, closed.
        const SOCKET probe = socket(AF_INET, SOCK_STREAM, 6);
        const sockaddr_in any = loopback(0);
        QCOMPARE(bind(probe, &any, sizeof any), 0);
        const sockaddr_in target = loopback(portOf(probe));
        QCOMPARE(closesocket(probe), 0);

        EventLog log;
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(WSAAsyncSelect(s, &log, WM_USER, ConnectMask), 0);
        QCOMPARE(winsock::connect(s, &target, sizeof target), SOCKET_ERROR);
        QCOMPARE(WSAGetLastError(), WSAEWOULDBLOCK);
        QTRY_COMPARE_WITH_TIMEOUT(log.seen.size(), 1, Timeout);
        QCOMPARE(log.seen[0].event, FD_CONNECT);
        QCOMPARE(log.seen[0].error, WSAECONNREFUSED);
        QTest::qWait(100);
        QCOMPARE(log.seen.size(), 1);
    }

    void readEventRearmedByRecv_data()
    {
        QTest::addColumn<int>("flags");
        QTest::newRow("peek") << MSG_PEEK;
        QTest::newRow("partial read") << 0;
    }

    void readEventRearmedByRecv()
    {
        QFETCH(int, flags);
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(send(pair.client, "abc", 3, 0), 3);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.server, FD_READ), 1, Timeout);
        QTest::qWait(100);
        QCOMPARE(serverLog.count(pair.server, FD_READ), 1); // no storm while nobody reads
        char buffer[8] = {};
        QCOMPARE(recv(pair.server, buffer, 1, flags), 1);
        QCOMPARE(buffer[0], 'a');
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.server, FD_READ), 2, Timeout);
        QVERIFY(recv(pair.server, buffer, sizeof buffer, 0) > 0);
        QCOMPARE(recv(pair.server, buffer, sizeof buffer, 0), SOCKET_ERROR);
        QCOMPARE(WSAGetLastError(), WSAEWOULDBLOCK);
        QTest::qWait(100);
        QCOMPARE(serverLog.count(pair.server, FD_READ), 2);
        QCOMPARE(serverLog.count(pair.server, FD_CLOSE), 0);
    }

    void closeComesOnceAfterData()
    {
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(send(pair.client, "bye", 3, 0), 3);
        QCOMPARE(closesocket(pair.client), 0);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.server, FD_READ), 1, Timeout);
        QTest::qWait(100);
        QCOMPARE(serverLog.count(pair.server, FD_CLOSE), 0); // the data comes first
        QCOMPARE(readAll(pair.server, 3), "bye");
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.server, FD_CLOSE), 1, Timeout);
        QCOMPARE(serverLog.seen.last().error, 0);
        char buffer[8];
        QCOMPARE(recv(pair.server, buffer, sizeof buffer, 0), 0);
        QTest::qWait(100);
        QCOMPARE(serverLog.count(pair.server, FD_CLOSE), 1);
        QCOMPARE(clientLog.seen.size(), 1); // a closed socket reports nothing
    }

    void staleEventsDropped_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("closesocket") << true;
        QTest::newRow("mask 0") << false;
    }

    void staleEventsDropped()
    {
        QFETCH(bool, close);
        EventLog serverLog, clientLog;
        Pair first;
        connectPair(first, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        const SOCKET secondClient = socket(AF_INET, SOCK_STREAM, 6);
        const sockaddr_in target = loopback(portOf(first.listener));
        QVERIFY(winsock::connect(secondClient, &target, sizeof target) == 0); // blocking
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(first.listener, FD_ACCEPT), 2, Timeout);
        const SOCKET secondServer = accept(first.listener, nullptr, nullptr);
        QVERIFY(secondServer > 0);

        // Both become readable before the loop runs, so both events are posted together;
        // whichever is handled first takes the other socket away.
        serverLog.seen.clear();
        serverLog.onEvent = [&](SOCKET s) {
            const SOCKET other = s == first.server ? secondServer : first.server;
            if (close)
                closesocket(other);
            else
                WSAAsyncSelect(other, &serverLog, WM_USER, 0);
        };
        QCOMPARE(send(first.client, "1", 1, 0), 1);
        QCOMPARE(send(secondClient, "2", 1, 0), 1);
        QTest::qWait(200);
        QCOMPARE(serverLog.seen.size(), 1);
        QCOMPARE(serverLog.seen[0].event, FD_READ);
    }

    void nestedLoopDelivers()
    {
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        // The handler of the first event runs a loop of its own, as a modal box does.
        QEventLoop loop;
        bool nested = false;
        bool deliveredInside = false;
        serverLog.onEvent = [&](SOCKET) {
            if (nested) {
                deliveredInside = true;
                loop.quit();
                return;
            }
            char buffer[8];
            recv(pair.server, buffer, sizeof buffer, 0);
            nested = true;
            QTimer::singleShot(0, &loop, [&] { send(pair.client, "2", 1, 0); });
            QTimer::singleShot(Timeout, &loop, &QEventLoop::quit);
            loop.exec();
            nested = false;
        };
        QCOMPARE(send(pair.client, "1", 1, 0), 1);
        QTRY_VERIFY_WITH_TIMEOUT(deliveredInside, Timeout);
    }

    void closeIsGraceful()
    {
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        // Unread data at the closing end must not turn the close into a reset.
        QCOMPARE(send(pair.client, "unread", 6, 0), 6);
        QTRY_COMPARE_WITH_TIMEOUT(serverLog.count(pair.server, FD_READ), 1, Timeout);
        const QByteArray payload(32 * 1024, 'p');
        QCOMPARE(send(pair.server, payload.constData(), int(payload.size()), 0),
                 int(payload.size()));
        QCOMPARE(closesocket(pair.server), 0);
        QCOMPARE(readAll(pair.client, int(payload.size())), payload);
        QTRY_COMPARE_WITH_TIMEOUT(clientLog.count(pair.client, FD_CLOSE), 1, Timeout);
        QCOMPARE(clientLog.seen.last().error, 0);
    }

    void shortSendGivesWriteEvent()
    {
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        const QByteArray chunk(1024 * 1024, 'x');
        int sent = 0;
        bool blocked = false;
        for (int i = 0; i < 64 && !blocked; ++i) {
            const int n = send(pair.client, chunk.constData(), int(chunk.size()), 0);
            blocked = n < int(chunk.size());
            if (n > 0)
                sent += n;
            else
                QCOMPARE(WSAGetLastError(), WSAEWOULDBLOCK);
        }
        QVERIFY(blocked);
        QTest::qWait(100);
        QCOMPARE(clientLog.count(pair.client, FD_WRITE), 0);
        QCOMPARE(readAll(pair.server, sent).size(), sent);
        QTRY_COMPARE_WITH_TIMEOUT(clientLog.count(pair.client, FD_WRITE), 1, Timeout);
        QTest::qWait(100);
        QCOMPARE(clientLog.count(pair.client, FD_WRITE), 1);
    }

    void portInUse_data()
    {
        QTest::addColumn<bool>("closeFirst");
        QTest::addColumn<int>("error");
        QTest::newRow("listener active") << false << WSAEADDRINUSE;
        QTest::newRow("closed connection in TIME_WAIT") << true << 0;
    }

    void portInUse()
    {
        QFETCH(bool, closeFirst);
        QFETCH(int, error);
        EventLog serverLog, clientLog;
        Pair pair;
        connectPair(pair, serverLog, clientLog);
        if (QTest::currentTestFailed())
            return;
        const u_short port = portOf(pair.listener);
        if (closeFirst) {
            // The side that closes first keeps the port in TIME_WAIT.
            QCOMPARE(closesocket(pair.listener), 0);
            QCOMPARE(closesocket(pair.server), 0);
            QTRY_COMPARE_WITH_TIMEOUT(clientLog.count(pair.client, FD_CLOSE), 1, Timeout);
            QCOMPARE(closesocket(pair.client), 0);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = INADDR_ANY;
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 6);
        const int result = bind(s, &address, sizeof address);
        QCOMPARE(result == 0 ? 0 : WSAGetLastError(), error);
        if (result == 0)
            QCOMPARE(listen(s, 5), 0);
    }

    void inetAddr_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("dotted"); // empty for INADDR_NONE
        QTest::newRow("four parts") << QByteArray("192.168.10.20") << QByteArray("192.168.10.20");
        QTest::newRow("a.b") << QByteArray("127.1") << QByteArray("127.0.0.1");
        QTest::newRow("a.b.c") << QByteArray("10.1.2") << QByteArray("10.1.0.2");
        QTest::newRow("a") << QByteArray("3232235777") << QByteArray("192.168.1.1");
        QTest::newRow("hex") << QByteArray("0x7f.1") << QByteArray("127.0.0.1");
        QTest::newRow("octal") << QByteArray("010.0.0.1") << QByteArray("8.0.0.1");
        QTest::newRow("empty") << QByteArray("") << QByteArray();
        QTest::newRow("part too big") << QByteArray("1.2.3.256") << QByteArray();
        QTest::newRow("five parts") << QByteArray("1.2.3.4.5") << QByteArray();
        QTest::newRow("host name") << QByteArray("localhost") << QByteArray();
        QTest::newRow("broadcast") << QByteArray("255.255.255.255") << QByteArray();
    }

    void inetAddr()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, dotted);
        const winsock::u_long address = inet_addr(text.constData());
        if (dotted.isEmpty())
            QCOMPARE(address, INADDR_NONE);
        else
            QCOMPARE(QByteArray(inet_ntoa(in_addr{address})), dotted);
    }

    void lookups()
    {
        QCOMPARE(inet_addr("1.2.3.4"), htonl(0x01020304));
        QCOMPARE(inet_addr(nullptr), INADDR_NONE);

        const hostent *host = gethostbyname("localhost");
        QVERIFY(host);
        QCOMPARE(host->h_addrtype, short(AF_INET));
        QCOMPARE(host->h_length, short(4));
        QVERIFY(host->h_addr_list[0]);
        QCOMPARE(host->h_addr_list[0][0], char(127));
        QVERIFY(!gethostbyname("no-such-host.invalid"));
        QCOMPARE(WSAGetLastError(), WSAHOST_NOT_FOUND);

        QCOMPARE(getprotobyname("tcp")->p_proto, short(6));
        QVERIFY(!getprotobyname("no-such-protocol"));

        char name[1024];
        QCOMPARE(winsock::gethostname(name, sizeof name), 0);
        QVERIFY(std::strlen(name) > 0);
        QCOMPARE(gethostname(name, 1), SOCKET_ERROR);
        QCOMPARE(WSAGetLastError(), WSAEFAULT);

        QVERIFY(!getservbyname("no-such-service", "tcp"));
        QCOMPARE(WSAGetLastError(), WSANO_DATA);
        const servent *service = getservbyname("http", "tcp");
        if (!service)
            QSKIP("the system's service list has no http");
        QCOMPARE(u_short(service->s_port), htons(80));
    }
};

QTEST_GUILESS_MAIN(TestWinSock)
#include "tst_winsock.moc"

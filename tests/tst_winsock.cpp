#include "platform/SocketMessage.h"

#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <thread>
#include <tuple>

using namespace winsock;

namespace {

constexpr int Timeout = 5000;
constexpr long ConnectMask = FD_READ | FD_CONNECT | FD_CLOSE;
constexpr long ListenMask = FD_READ | FD_ACCEPT | FD_CLOSE;
constexpr int InjectedError = WSAENETDOWN; // never produced by loopback

// One event as the window receives it: socket, event, error, message.
using Seen = std::tuple<SOCKET, int, int, unsigned>;

// Stands in for the main window: records the socket events it receives.
class EventLog : public QObject
{
public:
    QList<Seen> seen;
    std::function<void(SOCKET)> onEvent;

    int count(SOCKET s, int event) const
    {
        return int(std::ranges::count_if(
            seen, [&](const Seen &e) { return std::get<0>(e) == s && std::get<1>(e) == event; }));
    }

    // Waits for n events of the kind, then a little longer for any more.
    void expect(SOCKET s, int event, int n)
    {
        QTRY_COMPARE_WITH_TIMEOUT(count(s, event), n, Timeout);
        QTest::qWait(100);
        QCOMPARE(count(s, event), n);
    }

protected:
    bool event(QEvent *e) override
    {
        if (e->type() != SocketMessage::eventType())
            return QObject::event(e);
        const auto *m = static_cast<SocketMessage *>(e);
        seen.append({m->socket(), m->selectEvent(), m->selectError(), m->message()});
        if (onEvent)
            onEvent(m->socket());
        return true;
    }
};

sockaddr_in loopback(u_short port)
{
    return {AF_INET, htons(port), {inet_addr("127.0.0.1")}, {}};
}

u_short portOf(SOCKET s)
{
    sockaddr_in address{};
    int length = sizeof address;
    return getsockname(s, &address, &length) == 0 ? ntohs(address.sin_port) : 0;
}

// The error a call left, or 0 when it succeeded.
int errorOf(int result)
{
    return result == SOCKET_ERROR ? WSAGetLastError() : 0;
}

// Appends what the socket has to data and returns the new size.
qsizetype readInto(QByteArray &data, SOCKET s)
{
    char buffer[1 << 16];
    for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;)
        data.append(buffer, n);
    return data.size();
}

// The IPv4 addresses of the interfaces that are up, in network byte order, sorted.
QList<quint32> upInterfaceAddresses();

// How a look-up names this machine.
enum OwnName { HostName, HostNameInCapitals, EmptyName, NoName };

// Makes every call of the layer with harmless arguments; check gets its name and a function
// that makes it and returns true when it failed.
void forEachCall(SOCKET s, QObject *window,
                 const std::function<void(const char *, const std::function<bool()> &)> &check)
{
    char buffer[1024] = {};
    sockaddr_in address = loopback(0);
    int length = sizeof address;
    check("socket", [] { return socket(AF_INET, SOCK_STREAM, 6) == INVALID_SOCKET; });
    check("WSAAsyncSelect", [&] { return WSAAsyncSelect(s, window, WM_USER, FD_READ) != 0; });
    check("bind", [&] { return bind(s, &address, length) != 0; });
    check("listen", [&] { return listen(s, 5) != 0; });
    check("accept", [&] { return accept(s, &address, &length) == INVALID_SOCKET; });
    check("connect", [&] { return winsock::connect(s, &address, length) != 0; });
    check("send", [&] { return send(s, "x", 1, 0) == SOCKET_ERROR; });
    check("recv", [&] { return recv(s, buffer, 1, 0) == SOCKET_ERROR; });
    check("getsockname", [&] { return getsockname(s, &address, &length) != 0; });
    check("gethostname", [&] { return gethostname(buffer, int(sizeof buffer)) != 0; });
    check("gethostbyname", [] { return !gethostbyname("localhost"); });
    check("getservbyname", [] { return !getservbyname("http", "tcp"); });
    check("getprotobyname", [] { return !getprotobyname("tcp"); });
    check("closesocket", [&] { return closesocket(s) != 0; });
    check("WSACleanup", [] { return WSACleanup() != 0; });
}

} // namespace

// Each test starts with the layer started and a connection: a listener registered with the
// server log, a client registered with the client log, connected and accepted.
class TestWinSock : public QObject
{
    Q_OBJECT

    EventLog m_serverLog;
    EventLog m_clientLog;
    SOCKET m_listener = 0;
    SOCKET m_client = 0;
    SOCKET m_server = 0;

private slots:
    void init()
    {
        WSADATA data;
        QCOMPARE(WSAStartup(0x0101, &data), 0);
        m_listener = socket(AF_INET, SOCK_STREAM, 6);
        const sockaddr_in any = loopback(0);
        QCOMPARE(bind(m_listener, &any, sizeof any), 0);
        QCOMPARE(listen(m_listener, 5), 0);
        QCOMPARE(WSAAsyncSelect(m_listener, &m_serverLog, WM_USER, ListenMask), 0);
        m_client = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(WSAAsyncSelect(m_client, &m_clientLog, WM_USER + 1, ConnectMask), 0);
        const sockaddr_in target = loopback(portOf(m_listener));
        QCOMPARE(errorOf(winsock::connect(m_client, &target, sizeof target)), WSAEWOULDBLOCK);
        QTRY_COMPARE_WITH_TIMEOUT(m_clientLog.seen.size(), 1, Timeout);
        QCOMPARE(m_clientLog.seen[0], Seen(m_client, FD_CONNECT, 0, WM_USER + 1));
        QTRY_COMPARE_WITH_TIMEOUT(m_serverLog.count(m_listener, FD_ACCEPT), 1, Timeout);
        sockaddr_in peer{};
        int length = sizeof peer;
        m_server = accept(m_listener, &peer, &length);
        QVERIFY(m_server > 0);
        QCOMPARE(QByteArray(inet_ntoa(peer.sin_addr)), "127.0.0.1");
        // Nothing else waits: the listener would block, which is no failure of the connection.
        QCOMPARE(errorOf(accept(m_listener, nullptr, nullptr)), WSAEWOULDBLOCK);
    }

    void cleanup()
    {
        WSAClearFailures();
        while (WSACleanup() == 0)
            continue;
        m_serverLog.seen.clear();
        m_serverLog.onEvent = nullptr;
        m_clientLog.seen.clear();
    }

    void everyCall()
    {
        // Each call fails once with an injected code, then no more for that reason.
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        forEachCall(s, &m_clientLog, [](const char *name, const std::function<bool()> &call) {
            WSAFailNext(name, InjectedError);
            QVERIFY2(call() && WSAGetLastError() == InjectedError, name);
            QVERIFY2(!call() || WSAGetLastError() != InjectedError, name);
        });
        // The clean-up among them ended the start-up: now every call fails with 10093.
        forEachCall(m_client, &m_clientLog, [](const char *name, const auto &call) {
            QVERIFY2(call() && WSAGetLastError() == WSANOTINITIALISED, name);
        });
    }

    void handlesNeverZeroNorReused()
    {
        QCOMPARE(closesocket(m_client), 0);
        QCOMPARE(errorOf(closesocket(0)), WSAENOTSOCK);
        // Clean-up closes what is still open; the next start-up goes on counting.
        QCOMPARE(WSACleanup(), 0);
        WSADATA data;
        QCOMPARE(WSAStartup(0x0101, &data), 0);
        QCOMPARE(errorOf(closesocket(m_server)), WSAENOTSOCK);
        QVERIFY(socket(AF_INET, SOCK_STREAM, 0) > std::max({m_listener, m_client, m_server}));
    }

    void readEventRearmedByRecv()
    {
        // The accepted socket reports with the listener's registration, once until a recv,
        // a peek included, asks for more.
        QCOMPARE(send(m_client, "abc", 3, 0), 3);
        m_serverLog.expect(m_server, FD_READ, 1);
        char buffer[8] = {};
        QCOMPARE(recv(m_server, buffer, 1, MSG_PEEK), 1);
        m_serverLog.expect(m_server, FD_READ, 2);
        QCOMPARE(recv(m_server, buffer, 1, 0), 1);
        m_serverLog.expect(m_server, FD_READ, 3);
        QCOMPARE(recv(m_server, buffer, sizeof buffer, 0), 2);
        QCOMPARE(QByteArray(buffer), "bc");
        QCOMPARE(errorOf(recv(m_server, buffer, sizeof buffer, 0)), WSAEWOULDBLOCK);
        m_serverLog.expect(m_server, FD_READ, 3);
        QCOMPARE(m_serverLog.seen.last(), Seen(m_server, FD_READ, 0, WM_USER));
    }

    void writeEventAfterShortSend()
    {
        // The peer does not read, so a send soon falls short; one FD_WRITE follows, and only
        // once the peer has made room.
        const QByteArray chunk(64 * 1024, 'w');
        int sent = int(chunk.size());
        for (int i = 0; i < 1000 && sent == chunk.size(); ++i)
            sent = send(m_client, chunk.constData(), int(chunk.size()), 0);
        QVERIFY(sent < chunk.size());
        QVERIFY(sent >= 0 || WSAGetLastError() == WSAEWOULDBLOCK);
        m_clientLog.expect(m_client, FD_WRITE, 0);
        QByteArray drained;
        QTRY_VERIFY_WITH_TIMEOUT(
            readInto(drained, m_server) > 0 && m_clientLog.count(m_client, FD_WRITE) == 1, Timeout);
        m_clientLog.expect(m_client, FD_WRITE, 1);
    }

    void closing()
    {
        // Unread data at the closing end must not turn the close into a reset.
        QCOMPARE(send(m_client, "unread", 6, 0), 6);
        QTRY_COMPARE_WITH_TIMEOUT(m_serverLog.count(m_server, FD_READ), 1, Timeout);
        const QByteArray payload(32 * 1024, 'p');
        QCOMPARE(send(m_server, payload.constData(), int(payload.size()), 0), int(payload.size()));
        QCOMPARE(closesocket(m_server), 0);
        m_clientLog.expect(m_client, FD_READ, 1);
        QCOMPARE(m_clientLog.count(m_client, FD_CLOSE), 0); // the data comes first
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(readInto(received, m_client), payload.size(), Timeout);
        QCOMPARE(received, payload);
        // Once, with no error, however often a recv finds the end.
        QTRY_COMPARE_WITH_TIMEOUT(m_clientLog.count(m_client, FD_CLOSE), 1, Timeout);
        QCOMPARE(recv(m_client, received.data(), 8, 0), 0);
        m_clientLog.expect(m_client, FD_CLOSE, 1);
        QCOMPARE(m_clientLog.seen.last(), Seen(m_client, FD_CLOSE, 0, WM_USER + 1));
        QCOMPARE(m_serverLog.count(m_server, FD_READ), 1); // a closed socket reports nothing

        // The port can be listened on again while the closed connection keeps it in TIME_WAIT,
        // but not while another socket listens on it, as a second copy of the program might.
        const sockaddr_in address = {AF_INET, htons(portOf(m_listener)), {INADDR_ANY}, {}};
        const SOCKET listener = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(errorOf(bind(listener, &address, sizeof address)), WSAEADDRINUSE);
        QCOMPARE(closesocket(m_listener), 0);
        QCOMPARE(bind(listener, &address, sizeof address), 0);
        QCOMPARE(listen(listener, 5), 0);
    }

    void staleEventsDropped()
    {
        // Both ends become readable before the loop runs, so both events are posted together;
        // whichever is handled first takes the other socket away: by mask 0, then by closing
        // it. A new registration reports the unread data afresh.
        QCOMPARE(send(m_client, "1", 1, 0), 1);
        QCOMPARE(send(m_server, "2", 1, 0), 1);
        for (const bool close : {false, true}) {
            m_serverLog.seen.clear();
            m_serverLog.onEvent = [this, close](SOCKET s) {
                const SOCKET other = s == m_server ? m_client : m_server;
                QCOMPARE(close ? closesocket(other) : WSAAsyncSelect(other, nullptr, 0, 0), 0);
            };
            QCOMPARE(WSAAsyncSelect(m_client, &m_serverLog, WM_USER, ConnectMask), 0);
            QCOMPARE(WSAAsyncSelect(m_server, &m_serverLog, WM_USER, ConnectMask), 0);
            QTest::qWait(200);
            QCOMPARE(m_serverLog.seen.size(), 1);
        }
    }

    void lookups()
    {
        // a.b.c.d, a.b and every part in decimal, octal or hexadecimal, as on Windows
        QCOMPARE(inet_addr("127.1"), htonl(0x7f000001));
        QCOMPARE(inet_addr("0x7f.010.0.1"), htonl(0x7f080001));
        for (const char *text : {"1.2.3.256", "localhost", "255.255.255.255", ""})
            QCOMPARE(inet_addr(text), INADDR_NONE);

        const hostent *host = gethostbyname("localhost");
        QVERIFY(host && host->h_addr_list[0] && host->h_addr_list[0][0] == 127);
        QVERIFY(!gethostbyname("no-such-host.invalid"));
        QCOMPARE(WSAGetLastError(), WSAHOST_NOT_FOUND);
        QCOMPARE(getprotobyname("tcp")->p_proto, short(6));
        QVERIFY(!getservbyname("no-such-service", "tcp"));
        QCOMPARE(WSAGetLastError(), WSANO_DATA);
        QCOMPARE(QByteArray(host->h_name), "localhost"); // a failure leaves the record alone
        char name[1024];
        QCOMPARE(winsock::gethostname(name, sizeof name), 0);
        QCOMPARE(errorOf(gethostname(name, 1)), WSAEFAULT);
    }

    void ownHost_data()
    {
        QTest::addColumn<int>("form");
        QTest::newRow("host name") << int(HostName);
        QTest::newRow("in capitals") << int(HostNameInCapitals);
        QTest::newRow("empty") << int(EmptyName);
        QTest::newRow("null") << int(NoName);
    }

    void ownHost()
    {
        // The interfaces' addresses, each once, those a peer elsewhere can reach first.
        QFETCH(int, form);
        char own[256];
        QCOMPARE(winsock::gethostname(own, sizeof own), 0);
        const QByteArray name = form == HostNameInCapitals ? QByteArray(own).toUpper()
                                : form == EmptyName        ? QByteArray("")
                                                           : QByteArray(own);
        const hostent *host = gethostbyname(form == NoName ? nullptr : name.constData());
        QVERIFY(host);
        QVERIFY(host->h_name && *host->h_name);
        QList<quint32> listed;
        for (char **address = host->h_addr_list; *address; ++address) {
            quint32 bytes;
            std::memcpy(&bytes, *address, 4);
            listed << bytes;
        }
        QVERIFY(!listed.isEmpty());
        QVERIFY(std::ranges::is_partitioned(
            listed, [](quint32 address) { return ntohl(address) >> 24 != 127; }));
        std::ranges::sort(listed);
        QCOMPARE(listed, upInterfaceAddresses());
    }

    void setLastError()
    {
        WSASetLastError(WSAEWOULDBLOCK);
        QCOMPARE(WSAGetLastError(), WSAEWOULDBLOCK);
        std::thread([] { WSASetLastError(WSAEINVAL); }).join(); // each thread has its own
        QCOMPARE(WSAGetLastError(), WSAEWOULDBLOCK);
        WSASetLastError(0);
        QCOMPARE(WSAGetLastError(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWinSock)
#include "tst_winsock.moc"

// Last, so that above socket(), send() and the constants mean only the layer's; netinet/in.h
// would clash with the layer's in_addr even here.
#include <ifaddrs.h>
#include <net/if.h>

namespace {

QList<quint32> upInterfaceAddresses()
{
    QList<quint32> addresses;
    ::ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return addresses;
    for (const ::ifaddrs *entry = interfaces; entry; entry = entry->ifa_next) {
        const ::sockaddr *address = entry->ifa_addr;
        if (!address || address->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP))
            continue;
        quint32 bytes; // after the port, as in sockaddr_in
        std::memcpy(&bytes, address->sa_data + 2, 4);
        addresses << bytes;
    }
    ::freeifaddrs(interfaces);
    std::ranges::sort(addresses);
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

} // namespace

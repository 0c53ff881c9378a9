// The sockets layer's own contracts. Failing calls as the program meets them are checked
// through the program, in the connection tests.
#include "platform/SocketMessage.h"

#include <QSysInfo>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>

using namespace winsock;

namespace {

constexpr int Timeout = 5000;
constexpr long ConnectMask = FD_READ | FD_CONNECT | FD_CLOSE;

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

} // namespace

// The IPv4 addresses of the interfaces that are up, in network byte order, sorted, each once.
static QList<quint32> upInterfaceAddresses();

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
    sockaddr_in m_address{}; // the listener's

private slots:
    void init()
    {
        WSADATA data;
        QCOMPARE(WSAStartup(0x0101, &data), 0);
        m_listener = socket(AF_INET, SOCK_STREAM, 6);
        m_address = {AF_INET, 0, {inet_addr("127.0.0.1")}, {}};
        int length = sizeof m_address;
        QCOMPARE(bind(m_listener, &m_address, length), 0);
        QCOMPARE(getsockname(m_listener, &m_address, &length), 0);
        QCOMPARE(listen(m_listener, 5), 0);
        QCOMPARE(WSAAsyncSelect(m_listener, &m_serverLog, WM_USER, FD_ACCEPT | FD_READ), 0);
        m_client = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(WSAAsyncSelect(m_client, &m_clientLog, WM_USER + 1, ConnectMask), 0);
        QCOMPARE(errorOf(winsock::connect(m_client, &m_address, length)), WSAEWOULDBLOCK);
        QTRY_COMPARE_WITH_TIMEOUT(m_clientLog.seen.size(), 1, Timeout);
        QCOMPARE(m_clientLog.seen[0], Seen(m_client, FD_CONNECT, 0, WM_USER + 1));
        QTRY_COMPARE_WITH_TIMEOUT(m_serverLog.count(m_listener, FD_ACCEPT), 1, Timeout);
        m_server = accept(m_listener, nullptr, nullptr);
        QVERIFY(m_server > 0);
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

    void cleanupEndsAll()
    {
        // Clean-up closes what is still open. Then every call fails with 10093 first, whatever
        // else is wrong with its arguments, and the next start-up goes on counting handles.
        sockaddr_in address = m_address;
        int length = sizeof address;
        char buffer[64] = {};
        QCOMPARE(closesocket(m_client), 0);
        QCOMPARE(errorOf(closesocket(0)), WSAENOTSOCK);
        QCOMPARE(WSACleanup(), 0);
        const auto check = [](const char *name, bool failed) {
            QVERIFY2(failed && WSAGetLastError() == WSANOTINITIALISED, name);
        };
        check("socket", socket(AF_INET, SOCK_STREAM, 6) == INVALID_SOCKET);
        check("connect", winsock::connect(m_client, &address, length) != 0);
        check("recv", recv(m_server, buffer, 1, 0) == SOCKET_ERROR);
        check("gethostbyname", !gethostbyname("localhost"));
        check("closesocket", closesocket(m_client) != 0);
        check("WSACleanup", WSACleanup() != 0);
        WSADATA data;
        QCOMPARE(WSAStartup(0x0101, &data), 0);
        QCOMPARE(errorOf(closesocket(m_server)), WSAENOTSOCK);
        QVERIFY(socket(AF_INET, SOCK_STREAM, 0) > std::max({m_listener, m_client, m_server}));
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
        QByteArray sink;
        QTRY_VERIFY_WITH_TIMEOUT(
            readInto(sink, m_server) > 0 && m_clientLog.count(m_client, FD_WRITE) == 1, Timeout);
        m_clientLog.expect(m_client, FD_WRITE, 1);
    }

    void readingAndClosing()
    {
        // The accepted socket reports with the listener's registration, once until a recv,
        // a peek included, leaves data behind.
        QCOMPARE(send(m_client, "abc", 3, 0), 3);
        m_serverLog.expect(m_server, FD_READ, 1);
        char buffer[8];
        QCOMPARE(recv(m_server, buffer, 1, MSG_PEEK), 1);
        m_serverLog.expect(m_server, FD_READ, 2);
        QCOMPARE(recv(m_server, buffer, 1, 0), 1);
        m_serverLog.expect(m_server, FD_READ, 3);
        QCOMPARE(m_serverLog.seen.last(), Seen(m_server, FD_READ, 0, WM_USER));

        // Unread data at the closing end must not turn the close into a reset.
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

        // The port can be listened on again while the closed connection keeps it in TIME_WAIT,
        // but not while another socket listens on it, as a second copy of the program might.
        const sockaddr_in address = {AF_INET, m_address.sin_port, {INADDR_ANY}, {}};
        const SOCKET listener = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(errorOf(bind(listener, &address, sizeof address)), WSAEADDRINUSE);
        QCOMPARE(closesocket(m_listener), 0);
        QCOMPARE(bind(listener, &address, sizeof address), 0);
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
        // Typed addresses: a.b.c.d, a.b and every part in decimal, octal or hexadecimal.
        QCOMPARE(inet_addr("127.1"), htonl(0x7f000001));
        QCOMPARE(inet_addr("0x7f.010.0.1"), htonl(0x7f080001));
        for (const char *text : {"1.2.3.256", "localhost", "255.255.255.255", ""})
            QCOMPARE(inet_addr(text), INADDR_NONE);
        const hostent *host = gethostbyname("localhost");
        QVERIFY(host && host->h_addr_list[0] && host->h_addr_list[0][0] == 127);
        QVERIFY(!gethostbyname("no-such-host.invalid"));
        QCOMPARE(QByteArray(host->h_name), "localhost"); // a failure leaves the record alone

        // The own host, named in any case, has the interfaces' addresses, each once, those a
        // peer elsewhere can reach first.
        host = gethostbyname(QSysInfo::machineHostName().toUpper().toLatin1().constData());
        QVERIFY(host && host->h_name && *host->h_name);
        QList<quint32> listed;
        for (char **address = host->h_addr_list; *address; ++address)
            std::memcpy(&listed.emplace_back(), *address, 4);
        const auto remote = [](quint32 address) {
            return ntohl(address) >> 24 != 127;
        };
        QVERIFY(std::ranges::is_partitioned(listed, remote));
        std::ranges::sort(listed);
        QCOMPARE(listed, upInterfaceAddresses());
    }
};

QTEST_GUILESS_MAIN(TestWinSock)
#include "tst_winsock.moc"

// Last, so that above socket(), send() and the constants mean only the layer's; netinet/in.h
// would clash with the layer's in_addr even here.
#include <ifaddrs.h>
#include <net/if.h>

static QList<quint32> upInterfaceAddresses()
{
    QList<quint32> addresses;
    ::ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return addresses;
    for (const ::ifaddrs *entry = interfaces; entry; entry = entry->ifa_next) {
        const ::sockaddr *address = entry->ifa_addr;
        if (address && address->sa_family == AF_INET && (entry->ifa_flags & IFF_UP))
            std::memcpy(&addresses.emplace_back(), address->sa_data + 2, 4); // after the port
    }
    ::freeifaddrs(interfaces);
    std::ranges::sort(addresses);
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    return addresses;
}

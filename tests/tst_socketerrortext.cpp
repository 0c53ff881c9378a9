#include "net/SocketErrorText.h"

#include <QTest>

class SocketErrorTextTest : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void message_data();
    void message();
};

void SocketErrorTextTest::text_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const QList<std::pair<int, const char *>> rows = {
        {10004, "Interrupted system call"},
        {10009, "Bad file number"},
        {10013, "Permission denied"},
        {10014, "Bad address"},
        {10022, "Invalid argument"},
        {10024, "Too many open files"},
        {10035, "Operation would block"},
        {10036, "Operation now in progress"},
        {10037, "Operation already in progress"},
        {10038, "Socket operation on non-socket"},
        {10039, "Destination address required"},
        {10040, "Message too long"},
        {10041, "Protocol wrong type for socket"},
        {10042, "Protocol not available"},
        {10043, "Protocol not supported"},
        {10044, "Socket type not supported"},
        {10045, "Operation not supported on socket"},
        {10046, "Protocol family not supported"},
        {10047, "Address family not supported by protocol family"},
        {10048, "Address already in use"},
        {10049, "Can't assign requested address"},
        {10050, "Network is down"},
        {10051, "Network is unreachable"},
        {10052, "Network dropped connection on reset"},
        {10053, "Software caused connection abort"},
        {10054, "Connection reset by peer"},
        {10055, "No buffer space available"},
        {10056, "Socket is already connected"},
        {10057, "Socket is not connected"},
        {10058, "Can't send after socket shutdown"},
        {10059, "Too many references: can't splice"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10062, "Too many levels of symbolic links"},
        {10063, "File name too long"},
        {10064, "Host is down"},
        {10065, "No route to host"},
        {10066, "Directory not empty"},
        {10067, "Too many processes"},
        {10068, "Too many users"},
        {10069, "Disc quota exceeded"},
        {10070, "Stale NFS file handle"},
        {10071, "Too many levels of remote in path"},
        {10091, "Network sub-system is unusable"},
        {10092, "WinSock DLL cannot support this application"},
        {10093, "WinSock not initialized"},
        {11001, "Host not found"},
        {11002, "Non-authoritative host not found"},
        {11003, "Non-recoverable error"},
        {11004, "No Data"},
    };
    QCOMPARE(rows.size(), 50);
    for (const auto &[code, text] : rows)
        QTest::addRow("%d", code) << code << QString::fromLatin1(text);

    const QString none = QStringLiteral("Not a WinSock error");
    QList<int> others = {0,     -1,    -10035, INT_MIN, INT_MAX,      1, 10000, 10003,
                         10005, 10094, 11000,  11005,   10035 + 65536};
    for (int code = 10072; code <= 10090; ++code)
        others << code;
    for (int code : others)
        QTest::addRow("%d", code) << code << none;
}

void SocketErrorTextTest::text()
{
    QFETCH(int, code);
    QFETCH(QString, text);

    const std::string_view got = SocketErrorText(code);
    QCOMPARE(QString::fromLatin1(got.data(), qsizetype(got.size())), text);
}

void SocketErrorTextTest::message_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("message");

    QTest::newRow("close of a non-socket")
        << 10038 << "Disconnect (closesocket)"
        << "Error 10038 in function Disconnect (closesocket)\r\nSocket operation on non-socket";
    QTest::newRow("unknown negative code")
        << -5 << "Liten(WSAASyncSelect)"
        << "Error -5 in function Liten(WSAASyncSelect)\r\nNot a WinSock error";
}

void SocketErrorTextTest::message()
{
    QFETCH(int, code);
    QFETCH(QString, where);
    QFETCH(QString, message);

    QCOMPARE(QString::fromStdString(SocketErrorMessage(code, where.toStdString())), message);
}

QTEST_APPLESS_MAIN(SocketErrorTextTest)
#include "tst_socketerrortext.moc"

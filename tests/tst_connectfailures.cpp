// What connecting and listening report when a step fails, and the look-ups behind them.
#include "MatchSupport.h"

#include <QAction>

#include <cstring>

using namespace winsock;

namespace {

const QString Stop = QString::number(QMessageBox::Critical);
const QString NoIcon = QString::number(QMessageBox::NoIcon);

QString socketBox(int code, const QString &where, const QString &text)
{
    return QStringLiteral("Winsock Error|Error %1 in function %2\r\n%3|0")
        .arg(code)
        .arg(where, text);
}

QString errorBox(const QString &text)
{
    return "Dropstone|" + text + '|' + Stop;
}

// A loopback port nothing listens on.
std::uint16_t closedPort()
{
    RawPeer peer;
    return peer.listen();
}

} // namespace

class tst_ConnectFailures : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_host;
    std::unique_ptr<TForm1> m_guest;

private slots:
    void init()
    {
        m_host = makeForm(m_boxes, "Anna");
        m_guest = makeForm(m_boxes, "Bert");
        m_boxes.seen.clear();
        m_boxes.policy = nullptr;
    }

    void cleanup()
    {
        WSAClearFailures();
        m_guest.reset();
        m_host.reset();
    }

    void failures_data()
    {
        QTest::addColumn<bool>("listen");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");    // "held": a port another socket listens on
        QTest::addColumn<QString>("failing"); // a call that fails with the code
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("box");

        const QString local = "127.0.0.1";
        const QString free = QString::number(closedPort());
        QTest::newRow("connect: no port") << false << local << ""
                                          << "" << 0 << errorBox("Keine Kanalangabe");
        QTest::newRow("connect: no address")
            << false << "" << free << "" << 0 << errorBox("Keine Adressangabe");
        QTest::newRow("connect: unknown host")
            << false << "nirgends.invalid" << free << "" << 0 << errorBox("Unmöglich zu verbinden");
        QTest::newRow("connect: sign alone")
            << false << local << "+"
            << "" << 0 << errorBox("'+' is not a valid integer value.");
        QTest::newRow("connect: refused")
            << false << local << free << "" << 0
            << socketBox(10061, "Connect(Connect)", "Connection refused");
        QTest::newRow("connect: socket")
            << false << local << free << "socket" << 10024
            << socketBox(10024, "Connect(Socket)", "Too many open files");
        QTest::newRow("connect: select")
            << false << local << free << "WSAAsyncSelect" << 10055
            << socketBox(10055, "Connect(WSAASyncSelect)", "No buffer space available");
        QTest::newRow("connect: connect")
            << false << local << free << "connect" << 10051
            << socketBox(10051, "Connect(Connect)", "Network is unreachable");
        QTest::newRow("listen: no port") << true << ""
                                         << ""
                                         << "" << 0 << errorBox("Keine Kanalangabe");
        QTest::newRow("listen: no number")
            << true << ""
            << " 12x"
            << "" << 0 << errorBox("' 12x' is not a valid integer value.");
        QTest::newRow("listen: port in use")
            << true << ""
            << "held"
            << "" << 0
            << "Dropstone|Dieser Port wird bereit genutzt. Versuche einen anderen Port|" + NoIcon;
        QTest::newRow("listen: socket")
            << true << ""
            << "0"
            << "socket" << 10024 << socketBox(10024, "Listen(Socket)", "Too many open files");
        QTest::newRow("listen: bind")
            << true << ""
            << "0"
            << "bind" << 10013 << socketBox(10013, "Listen(Bind)", "Permission denied");
        QTest::newRow("listen: listen")
            << true << ""
            << "0"
            << "listen" << 10055 << socketBox(10055, "Listen(Listen)", "No buffer space available");
        QTest::newRow("listen: select")
            << true << ""
            << "0"
            << "WSAAsyncSelect" << 10050
            << socketBox(10050, "Liten(WSAASyncSelect)", "Network is down");
    }

    void failures()
    {
        QFETCH(bool, listen);
        QFETCH(QString, address);
        QFETCH(QString, port);
        QFETCH(QString, failing);
        QFETCH(int, code);
        QFETCH(QString, box);
        TForm1 &form = *m_guest;
        RawPeer holder;
        if (port == "held")
            port = QString::number(holder.listen());
        if (!failing.isEmpty())
            WSAFailNext(failing.toLatin1(), code);
        // As from the menu: the conversion failure reaches the standard error box.
        TApplication::Protect([&] {
            form.PortText = port;
            form.AddressText = address;
            listen ? form.DoListen() : form.DoConnect();
        });
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.seen, QStringList{box}, NetTimeout);
        // Whatever socket the attempt had made is closed again.
        QTRY_VERIFY_WITH_TIMEOUT(form.ConnState == cnDisconnected && form.Sock == 0, NetTimeout);
        QTest::qWait(50);
        QCOMPARE(m_boxes.seen.size(), 1);
    }

    void closeFailures()
    {
        TForm1 &host = *m_host;
        TForm1 &guest = *m_guest;
        QVERIFY(connectForms(host, guest));
        WSAFailNext("closesocket", WSAENETDOWN);
        guest.Disconnect1Click();
        QCOMPARE(m_boxes.seen,
                 QStringList{socketBox(10050, "Disconnect (closesocket)", "Network is down")});
        // The close sequence still completes.
        QVERIFY(disconnectedAndReady(guest));
    }

    void acceptFailures()
    {
        TForm1 &host = *m_host;
        host.PortText = "0";
        host.DoListen();
        // Three failures in a row: one box, held open while the others happen.
        for (int i = 0; i < 3; ++i)
            WSAFailNext("accept", WSAENOBUFS);
        m_boxes.policy = [](const QString &) {
            QTest::qWait(300);
            return QString();
        };
        RawPeer peer;
        QVERIFY(peer.connectTo(listeningPort(host.Sock)));
        QTRY_COMPARE_WITH_TIMEOUT(host.ConnState, cnConnected, NetTimeout);
        QCOMPARE(m_boxes.seen, QStringList{errorBox("Unable to accept connection")});
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("status"); // "*" the machine's name, "#" its first address

        QTest::newRow("number beyond 16 bits") << "70000"
                                               << ""
                                               << "* (#) Port 4464";
        // Never cut short, as a fixed buffer of 32 would.
        QTest::newRow("long text") << QString(40, '0') + "4465"
                                   << ""
                                   << "* (#) Port 4465";
        QTest::newRow("service name") << "sane-port"
                                      << ""
                                      << "* (#) Port 6566";
        QTest::newRow("no protocol entry") << "4466"
                                           << "getprotobyname"
                                           << "* (#) Port 4466";
        QTest::newRow("no host record") << "4467"
                                        << "gethostbyname"
                                        << "* () Port 4467";
        QTest::newRow("no host name") << "4468"
                                      << "gethostname"
                                      << "";
    }

    void lookups()
    {
        QFETCH(QString, port);
        QFETCH(QString, failing);
        QFETCH(QString, status);
        TForm1 &host = *m_host;
        char name[1024];
        QCOMPARE(gethostname(name, int(sizeof name)), 0);
        hostent *own = gethostbyname(name);
        QVERIFY(own);
        winsock::in_addr address{};
        std::memcpy(&address, own->h_addr_list[0], 4);
        const QString first = inet_ntoa(address);
        if (status.startsWith('*'))
            status = "Status: Warten auf Verbindung: " +
                     status.replace('*', failing == "gethostbyname" ? name : own->h_name)
                         .replace('#', first);
        if (!failing.isEmpty())
            WSAFailNext(failing.toLatin1(), WSANO_RECOVERY);
        host.PortText = port;
        host.DoListen();
        QCOMPARE(host.ConnState, cnListening);
        QCOMPARE(panelText(host, 0), status);

        // The machine's own name leads to its first address, which takes connections.
        m_guest->AddressText = name;
        m_guest->PortText = QString::number(listeningPort(host.Sock));
        m_guest->DoConnect();
        QCOMPARE(m_guest->AddressText, first);
        QTRY_COMPARE_WITH_TIMEOUT(host.ConnState, cnConnected, NetTimeout);
        QVERIFY(m_boxes.seen.isEmpty());
    }

    void secondLookupFindsHost()
    {
        // The first look-up fails, the second one finds the name: its address is used.
        RawPeer peer;
        TForm1 &form = *m_guest;
        form.AddressText = "localhost";
        form.PortText = QString::number(peer.listen());
        WSAFailNext("gethostbyname", WSATRY_AGAIN);
        form.DoConnect();
        QVERIFY(peer.acceptOne());
        QTRY_COMPARE_WITH_TIMEOUT(form.ConnState, cnConnected, NetTimeout);
        QCOMPARE(form.AddressText, QString("localhost"));
    }
};

DROPSTONE_TEST_MAIN(tst_ConnectFailures)
#include "tst_connectfailures.moc"

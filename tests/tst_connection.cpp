// Connecting and listening between two main windows, and against a bare peer, over loopback.
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

class tst_Connection : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_host;
    std::unique_ptr<TForm1> m_guest;

    bool idle(TForm1 &form)
    {
        return form.ConnState == cnDisconnected && form.Sock == 0 && form.GameState == gsNoGame &&
               form.Connect1()->isEnabled() && form.Listen1()->isEnabled() &&
               panelText(form, 0) == "Status: Nicht verbunden";
    }

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

    void connectAndListen()
    {
        TForm1 &host = *m_host;
        TForm1 &guest = *m_guest;
        host.PortText = "0";
        host.DoListen();
        const QString port = QString::number(listeningPort(host.Sock));
        QVERIFY(port != "0");
        // The port actually listened on, after the machine's name and an address.
        QVERIFY2(QRegularExpression("^Status: Warten auf Verbindung: .+ \\([0-9.]+\\) Port " +
                                    port + "$")
                     .match(panelText(host, 0))
                     .hasMatch(),
                 qPrintable(panelText(host, 0)));
        QCOMPARE(QList<bool>({host.Connect1()->isEnabled(), host.Disconnect1()->isEnabled(),
                              host.Listen1()->isEnabled(), host.StopListening1()->isEnabled()}),
                 QList<bool>({false, false, false, true}));

        guest.AddressText = "127.1";
        guest.PortText = port;
        guest.DoConnect();
        QCOMPARE(guest.ConnState, cnConnecting);
        QCOMPARE(panelText(guest, 0), QString("Status: Warten auf Verbindung"));
        QVERIFY(guest.Disconnect1()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(host.GameState, gsTheirTurn, NetTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(guest.OpponentName, QString("Anna"), NetTimeout);

        // Each names the other in its history and, at once, in its status bar.
        QCOMPARE(history(host), QStringList{":: Du bist jetzt zu Bert verbunden."});
        QCOMPARE(history(guest), QStringList{":: Du bist jetzt zu Anna verbunden."});
        QCOMPARE(panelText(guest, 0),
                 "Status: Verbunden zu 127.0.0.1 Port " + port + " - Dein Zug");
        QCOMPARE(panelText(guest, 1), QString("Bert 0 - Anna 0"));
        QCOMPARE(panelText(host, 0),
                 QString("Status: Verbunden zu 127.0.0.1 Port 0 - Bert' ist am Zug"));
        QCOMPARE(panelText(host, 1), QString("Anna 0 - Bert 0"));
        QCOMPARE(QList<bool>({host.Connect1()->isEnabled(), host.Disconnect1()->isEnabled(),
                              host.Listen1()->isEnabled(), host.StopListening1()->isEnabled()}),
                 QList<bool>({false, true, false, false}));

        // The listening socket went with the first connection.
        RawPeer late;
        QVERIFY(!late.connectTo(port.toUShort()));
        QVERIFY(m_boxes.seen.isEmpty());
    }

    void wireOrder_data()
    {
        QTest::addColumn<bool>("formConnects");
        QTest::addColumn<QByteArray>("expected");
        // The connecting side sends its name, then starts the game; the other only its name.
        QTest::newRow("connecting")
            << true << encoded({packetOf(pkName, "Bert"), packetOf(pkNewGame)});
        QTest::newRow("accepting") << false << encoded({packetOf(pkName, "Bert")});
    }

    void wireOrder()
    {
        QFETCH(bool, formConnects);
        QFETCH(QByteArray, expected);
        TForm1 &form = *m_guest;
        RawPeer peer;
        if (formConnects) {
            form.AddressText = "localhost";
            form.PortText = QString::number(peer.listen());
            form.DoConnect();
            QVERIFY(peer.acceptOne());
        } else {
            form.PortText = "0";
            form.DoListen();
            QVERIFY(peer.connectTo(listeningPort(form.Sock)));
        }
        QVERIFY(peer.receive(expected.size()));
        QTest::qWait(100);
        peer.readSome();
        QCOMPARE(peer.received, expected);
        QCOMPARE(form.ConnState, cnConnected);
        QCOMPARE(form.AddressText, QString("127.0.0.1"));
        QCOMPARE(form.GameState, formConnects ? gsMyTurn : gsNoGame);
    }

    void ending_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("guest disconnects") << "guest";
        QTest::newRow("host disconnects") << "host";
        QTest::newRow("loser declines, by the close box") << "decline";
    }

    void ending()
    {
        QFETCH(QString, how);
        TForm1 &host = *m_host;
        TForm1 &guest = *m_guest;
        QVERIFY(connectForms(host, guest));
        // A game is won by the guest: the host's loss ends the connection in the last row.
        const int columns[] = {1, 2, 1, 2, 1, 2, 1};
        const int games = how == "decline" ? 7 : 1;
        for (int i = 0; i < games; ++i) {
            TForm1 &mover = i % 2 ? host : guest;
            QTRY_COMPARE_WITH_TIMEOUT(mover.GameState, gsMyTurn, NetTimeout);
            clickCell(mover, columns[i], i / 2 + 1);
        }
        if (how != "decline")
            QTRY_COMPARE_WITH_TIMEOUT(host.GameState, gsMyTurn, NetTimeout);
        if (how == "guest")
            guest.Disconnect1Click();
        else if (how == "host")
            host.Disconnect1Click();

        QTRY_VERIFY_WITH_TIMEOUT(idle(host) && idle(guest), NetTimeout);
        TForm1 &left = how == "guest" ? host : guest;
        QTRY_COMPARE_WITH_TIMEOUT(history(left).first(),
                                  ":: " + left.OpponentName + " hat die Verbindung getrennt",
                                  NetTimeout);
        for (TForm1 *form : {&host, &guest}) {
            QCOMPARE(form->AddressText, QString());
            QCOMPARE(form->PortText, QString());
            QCOMPARE(panelText(*form, 1), QString());
            QCOMPARE(form->PlayerScore + form->OpponentScore, 0);
            // The last position stays.
            QCOMPARE(form->Board.cell(1, 1) != cellEmpty, true);
        }
        // The winner's box and the loser's dialog are open at the same time, in either order.
        QStringList seen = m_boxes.seen;
        seen.sort();
        const QStringList expected = {"Dropstone|Du hast gewonnen|" + NoIcon,
                                      "TForm5|Du hast verloren"};
        QCOMPARE(seen, how == "decline" ? expected : QStringList());
        // And again.
        QVERIFY(connectForms(host, guest));
    }

    void abandoned_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop listening") << "listen";
        QTest::newRow("disconnect while connecting") << "connect";
    }

    void abandoned()
    {
        QFETCH(QString, how);
        TForm1 &form = *m_guest;
        RawPeer peer;
        if (how == "listen") {
            form.PortText = "0";
            form.DoListen();
            const std::uint16_t port = listeningPort(form.Sock);
            form.StopListening1Click();
            QVERIFY(!peer.connectTo(port));
        } else {
            form.AddressText = "127.0.0.1";
            form.PortText = QString::number(peer.listen());
            form.DoConnect();
            form.Disconnect1Click();
            // The connect event that was on its way changes nothing.
            QTest::qWait(200);
        }
        QVERIFY(idle(form));
        QVERIFY(m_boxes.seen.isEmpty());
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
        QVERIFY(idle(guest));
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

    void vanishingPeer_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("reset");
        QTest::newRow("nothing, then close") << QByteArray() << false;
        QTest::newRow("garbage, then close") << QByteArray("GET / HTTP/1.0\r\n\r\n") << false;
        QTest::newRow("half a name, then reset")
            << encoded({packetOf(pkName, "Xaver")}).left(9) << true;
        QTest::newRow("mid-game reset")
            << encoded({packetOf(pkName, "Xaver"), packetOf(pkNewGame), packetOf(pkMove, {}, 3)})
            << true;
    }

    void vanishingPeer()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, reset);
        TForm1 &form = *m_host;
        form.PortText = "0";
        form.DoListen();
        const std::uint16_t port = listeningPort(form.Sock);
        RawPeer peer;
        QVERIFY(peer.connectTo(port));
        QTRY_COMPARE_WITH_TIMEOUT(form.ConnState, cnConnected, NetTimeout);
        peer.send(sent);
        const bool moved = sent.size() > 30;
        if (moved)
            QTRY_COMPARE_WITH_TIMEOUT(form.Board.cell(3, 1), cellTheirs, NetTimeout);
        reset ? peer.reset() : peer.close();

        QTRY_VERIFY_WITH_TIMEOUT(idle(form), NetTimeout);
        QCOMPARE(form.Board.cell(3, 1), moved ? cellTheirs : cellEmpty);
        QVERIFY(m_boxes.seen.isEmpty());
        // Ready for the next connection.
        QVERIFY(connectForms(form, *m_guest));
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

DROPSTONE_TEST_MAIN(tst_Connection)
#include "tst_connection.moc"

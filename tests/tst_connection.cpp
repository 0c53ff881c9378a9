// Connecting, listening and disconnecting between two main windows, and against a bare peer,
// over loopback.
#include "MatchSupport.h"

#include <QAction>

using namespace winsock;

namespace {

const QString NoIcon = QString::number(QMessageBox::NoIcon);

} // namespace

class tst_Connection : public QObject
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

        QTRY_VERIFY_WITH_TIMEOUT(disconnectedAndReady(host) && disconnectedAndReady(guest),
                                 NetTimeout);
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
        QVERIFY(disconnectedAndReady(form));
        QVERIFY(m_boxes.seen.isEmpty());
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

        QTRY_VERIFY_WITH_TIMEOUT(disconnectedAndReady(form), NetTimeout);
        QCOMPARE(form.Board.cell(3, 1), moved ? cellTheirs : cellEmpty);
        QVERIFY(m_boxes.seen.isEmpty());
        // Ready for the next connection.
        QVERIFY(connectForms(form, *m_guest));
    }
};

DROPSTONE_TEST_MAIN(tst_Connection)
#include "tst_connection.moc"

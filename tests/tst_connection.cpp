// Two main windows and a bare peer over loopback: connecting and listening, what each reports
// when a step fails, the games, the rules a peer may break, and the chat.
#include "MatchSupport.h"
#include "net/SocketErrorText.h"

#include <QTextBlock>
#include <QTextLayout>

using namespace winsock;

namespace {

const QString Won = "Dropstone|Du hast gewonnen|0";
const QString Lost = "TForm5|Du hast verloren";
// Columns in pairs, rows alternating: a full board without a line of four.
const QList<int> Drawn = {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 5, 3, 3, 3, 3, 3, 3, 4, 4,
                          4, 4, 4, 4, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 6};

// The codes' texts are checked where they are made.
QString socketBox(int code, const QString &where)
{
    return QStringLiteral("Winsock Error|Error %1 in function %2\r\n%3|0")
        .arg(QString::number(code), where, QString::fromLatin1(SocketErrorText(code)));
}

QString errorBox(const QString &text)
{
    return "Dropstone|" + text + '|' + QString::number(QMessageBox::Critical);
}

} // namespace

class tst_Connection : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_host;
    std::unique_ptr<TForm1> m_guest;
    RawPeer m_peer;

    // The side to move drops into each column in turn and waits until the other has taken it.
    void play(const QList<int> &columns)
    {
        for (int column : columns) {
            const bool guestMoves = m_guest->GameState == gsMyTurn;
            TForm1 &mover = guestMoves ? *m_guest : *m_host;
            clickCell(mover, column, mover.Board.freeRow(column));
            QTRY_VERIFY_WITH_TIMEOUT((guestMoves ? m_host : m_guest)->GameState != gsTheirTurn,
                                     NetTimeout);
        }
    }

    // The host with the bare peer, which has had the host's name.
    void connectPeer()
    {
        QVERIFY(m_peer.connectTo(listenOnAnyPort(*m_host)));
        QVERIFY(m_peer.receive(encoded({packetOf(pkName, "Anna")}).size()));
        m_peer.received.clear();
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
        m_peer.close();
        m_guest.reset();
        m_host.reset();
    }

    void wireOrder_data()
    {
        QTest::addColumn<bool>("formConnects");
        QTest::addColumn<bool>("firstLookupFails");
        QTest::addColumn<QByteArray>("expected");
        // The connecting side sends its name, then starts the game; the other only its name.
        const QByteArray name = encoded({packetOf(pkName, "Bert")});
        const QByteArray both = name + encoded({packetOf(pkNewGame)});
        QTest::newRow("connecting") << true << false << both;
        QTest::newRow("connecting, the second look-up finds the name") << true << true << both;
        QTest::newRow("accepting") << false << false << name;
    }

    void wireOrder()
    {
        QFETCH(bool, formConnects);
        QFETCH(bool, firstLookupFails);
        QFETCH(QByteArray, expected);
        TForm1 &form = *m_guest;
        RawPeer peer;
        if (formConnects) {
            form.AddressText = "localhost";
            form.PortText = QString::number(peer.listen());
            if (firstLookupFails)
                WSAFailNext("gethostbyname", WSATRY_AGAIN);
            form.DoConnect();
            QVERIFY(peer.acceptOne());
        } else {
            QVERIFY(peer.connectTo(listenOnAnyPort(form)));
        }
        QVERIFY(peer.receive(expected.size()));
        QTest::qWait(100);
        QVERIFY(peer.receive(0)); // nothing more follows
        QCOMPARE(peer.received, expected);
        // Resolved at once, unless only the second look-up found it.
        QCOMPARE(form.AddressText, firstLookupFails ? "localhost" : "127.0.0.1");
        QCOMPARE(form.GameState, formConnects ? gsMyTurn : gsNoGame);
        QVERIFY(m_boxes.seen.isEmpty());
    }

    void portsShown()
    {
        // Listened on "0", connected by a text beyond 16 bits: both sides name the port in use.
        const std::uint16_t port = listenOnAnyPort(*m_host);
        m_guest->AddressText = "127.0.0.1";
        m_guest->PortText = QString::number(port + 65536);
        m_guest->DoConnect();
        QTRY_COMPARE_WITH_TIMEOUT(m_host->GameState, gsTheirTurn, NetTimeout);
        for (TForm1 *form : {m_host.get(), m_guest.get()}) {
            QVERIFY2(form->StatusBar1()->panelText(0).startsWith(
                         QStringLiteral("Status: Verbunden zu 127.0.0.1 Port %1 - ").arg(port)),
                     qPrintable(form->StatusBar1()->panelText(0)));
        }
    }

    void failures_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");    // "held": a port another socket listens on
        QTest::addColumn<QString>("failing"); // a call that fails with the code
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("box");
        const QString local = "127.0.0.1";
        const QString free = QString::number(RawPeer().listen()); // closed again at once
        const auto row = [](const char *name, const QString &address, const QString &port,
                            const QString &box) {
            QTest::newRow(name) << address << port << QString() << 0 << box;
        };
        // A call of the sockets layer fails: the box names the step.
        const auto fail = [&](const char *name, const char *call, int code, const char *where) {
            const bool listen = QByteArray(name).startsWith("listen");
            QTest::newRow(name) << (listen ? "" : local) << (listen ? "0" : free) << call << code
                                << socketBox(code, where);
        };
        row("connect: no port", local, "", errorBox("Keine Kanalangabe"));
        row("connect: no address", "", free, errorBox("Keine Adressangabe"));
        row("connect: unknown host", "nowhere.invalid", free, errorBox("Unmöglich zu verbinden"));
        row("connect: sign alone", local, "+", errorBox("'+' is not a valid integer value."));
        row("connect: refused", local, free, socketBox(10061, "Connect(Connect)"));
        fail("connect: socket", "socket", 10024, "Connect(Socket)");
        fail("connect: select", "WSAAsyncSelect", 10055, "Connect(WSAASyncSelect)");
        fail("connect: connect", "connect", 10051, "Connect(Connect)");
        row("listen: no port", "", "", errorBox("Keine Kanalangabe"));
        row("listen: port in use", "", "held",
            "Dropstone|Dieser Port wird bereit genutzt. Versuche einen anderen Port|0");
        fail("listen: socket", "socket", 10024, "Listen(Socket)");
        fail("listen: bind", "bind", 10013, "Listen(Bind)");
        fail("listen: listen", "listen", 10055, "Listen(Listen)");
        fail("listen: select", "WSAAsyncSelect", 10050, "Liten(WSAASyncSelect)");
    }

    void failures()
    {
        QFETCH(QString, address);
        QFETCH(QString, port);
        QFETCH(QString, failing);
        QFETCH(int, code);
        QFETCH(QString, box);
        TForm1 &form = *m_guest;
        const bool listen = QByteArray(QTest::currentDataTag()).startsWith("listen");
        RawPeer holder;
        form.PortText = port == "held" ? QString::number(holder.listen()) : port;
        form.AddressText = address;
        if (!failing.isEmpty())
            WSAFailNext(failing.toLatin1(), code);
        // As from the menu: the conversion failure reaches the standard error box.
        TApplication::Protect([&] { listen ? form.DoListen() : form.DoConnect(); });
        QTRY_VERIFY_WITH_TIMEOUT(disconnected(form), NetTimeout);
        QTest::qWait(50); // a second box would have shown by now
        QCOMPARE(m_boxes.seen, QStringList{box});
        // Handles count up: had the attempt's socket stayed open, the one before this is it.
        const SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(closesocket(probe - 1) != 0);
        closesocket(probe);
    }

    void abandoned_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("failingClose");
        QTest::newRow("stop listening") << true << "";
        QTest::newRow("stop listening, close fails: reported, disconnected all the same")
            << true << socketBox(WSAENETDOWN, "Disconnect (closesocket)");
        QTest::newRow("disconnect while connecting") << false << "";
    }

    void abandoned()
    {
        QFETCH(bool, listening);
        QFETCH(QString, failingClose);
        TForm1 &form = *m_guest;
        RawPeer peer;
        if (listening) {
            const std::uint16_t port = listenOnAnyPort(form);
            if (!failingClose.isEmpty())
                WSAFailNext("closesocket", WSAENETDOWN);
            form.StopListening1Click();
            QVERIFY(!failingClose.isEmpty() || !peer.connectTo(port));
        } else {
            form.AddressText = "127.0.0.1";
            form.PortText = QString::number(peer.listen());
            form.DoConnect();
            form.Disconnect1Click();
            // The connect event that was on its way changes nothing.
            QTest::qWait(200);
        }
        QVERIFY(disconnected(form));
        QCOMPARE(m_boxes.seen, failingClose.isEmpty() ? QStringList() : QStringList{failingClose});
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
            << encoded({packetOf(pkName, "Xaver"), packetOf(pkNewGame), moveTo(3)}) << true;
    }

    void vanishingPeer()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, reset);
        TForm1 &form = *m_host;
        const std::uint16_t port = listenOnAnyPort(form);
        QVERIFY(m_peer.connectTo(port));
        QTRY_COMPARE_WITH_TIMEOUT(form.ConnState, cnConnected, NetTimeout);
        // The listening socket went with the first connection.
        QVERIFY(!RawPeer().connectTo(port));
        m_peer.send(sent);
        const bool moved = sent.size() > 30;
        if (moved)
            QTRY_COMPARE_WITH_TIMEOUT(form.Board.cell(3, 1), cellTheirs, NetTimeout);
        m_peer.close(reset);

        QTRY_VERIFY_WITH_TIMEOUT(disconnected(form), NetTimeout);
        QCOMPARE(form.Board.cell(3, 1), moved ? cellTheirs : cellEmpty);
        QVERIFY(m_boxes.seen.isEmpty());
        QVERIFY(connectForms(form, *m_guest));
    }

    void acceptFailures_data()
    {
        QTest::addColumn<bool>("stopBetween");
        QTest::newRow("three failures, three boxes, then the connection") << false;
        QTest::newRow("listening stopped after the first box") << true;
    }

    void acceptFailures()
    {
        QFETCH(bool, stopBetween);
        TForm1 &form = *m_host;
        const std::uint16_t port = listenOnAnyPort(form);
        for (int i = 0; i < 3; ++i)
            WSAFailNext("accept", WSAENOBUFS);
        // Each box is held open a while: a socket polled meanwhile would use up the failures.
        m_boxes.policy = [&](const QString &) {
            QTest::qWait(300);
            if (stopBetween)
                QTimer::singleShot(100, &form, [&] { form.StopListening1Click(); });
            return QString();
        };
        QVERIFY(m_peer.connectTo(port));
        const QString box = errorBox("Unable to accept connection");
        if (stopBetween) {
            QTRY_VERIFY_WITH_TIMEOUT(disconnected(form), NetTimeout);
            QTest::qWait(TForm1::AcceptRetryDelayMs + 300);
            QCOMPARE(m_boxes.seen, QStringList{box});
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(form.ConnState, cnConnected, NetTimeout);
            QCOMPARE(m_boxes.seen, QStringList({box, box, box}));
        }
    }

    void listenStatus_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("status"); // "*" the machine's name, "#" an address
        const auto row =
            [](const char *name, const QString &port, const char *failing, const QString &status) {
                QTest::newRow(name)
                    << port << QString(failing)
                    << (status.isEmpty() ? "" : "Status: Warten auf Verbindung: " + status);
            };
        // Ports the system has just given out, so that no other program holds them.
        QStringList free;
        for (int i = 0; i < 4; ++i)
            free << QString::number(RawPeer().listen());
        // Never cut short, as a fixed buffer of 32 would.
        row("long text", QString(40, '0') + free[0], "", "* (#) Port " + free[0]);
        // The port the service names, not the text.
        row("service name", "sane-port", "", "* (#) Port 6566");
        row("no protocol entry", free[1], "getprotobyname", "* (#) Port " + free[1]);
        row("no host record", free[2], "gethostbyname", "* () Port " + free[2]);
        row("no host name", free[3], "gethostname", "");
    }

    void listenStatus()
    {
        QFETCH(QString, port);
        QFETCH(QString, failing);
        QFETCH(QString, status);
        if (port == "sane-port" && RawPeer().listen(6566) == 0)
            QSKIP("Another program holds the service's port");
        if (!failing.isEmpty())
            WSAFailNext(failing.toLatin1(), WSANO_RECOVERY);
        m_host->PortText = port;
        m_host->DoListen();
        const QString shown = m_host->StatusBar1()
                                  ->panelText(0)
                                  .replace(QRegularExpression(": \\S+ \\("), ": * (")
                                  .replace(QRegularExpression("\\([0-9.]+\\)"), "(#)");
        QCOMPARE(shown, status);
        QVERIFY(m_boxes.seen.isEmpty());
    }

    void wholeGame_data()
    {
        QTest::addColumn<bool>("guestWins");
        QTest::addColumn<QString>("answer"); // of the loser; empty: the close box
        for (bool guestWins : {true, false}) {
            const char *winner = guestWins ? "connecting side wins" : "listening side wins";
            QTest::addRow("%s, again", winner) << guestWins << "Nochmal spielen";
            QTest::addRow("%s, disconnect", winner) << guestWins << "Verbindung trennen";
            QTest::addRow("%s, close box", winner) << guestWins << "";
        }
    }

    void wholeGame()
    {
        QFETCH(bool, guestWins);
        QFETCH(QString, answer);
        QVERIFY(connectForms(*m_host, *m_guest));
        TForm1 &winner = guestWins ? *m_guest : *m_host;
        TForm1 &loser = guestWins ? *m_host : *m_guest;
        m_boxes.policy = [&](const QString &box) {
            return box == Lost ? answer : QString();
        };
        play(guestWins ? QList<int>{4, 5, 4, 5, 4, 5, 4} : QList<int>{1, 4, 2, 4, 1, 4, 2, 4});

        // The winner's box and the loser's dialog are open at the same time, in either order.
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.seen.size(), 2, NetTimeout);
        QCOMPARE(QSet<QString>(m_boxes.seen.begin(), m_boxes.seen.end()),
                 QSet<QString>({Won, Lost}));
        if (answer == "Nochmal spielen") {
            // The loser moves first; the score stays.
            QTRY_COMPARE_WITH_TIMEOUT(winner.GameState, gsTheirTurn, NetTimeout);
            QCOMPARE(loser.GameState, gsMyTurn);
            QCOMPARE(loser.StatusBar1()->panelText(1),
                     loser.PlayerName + " 0 - " + winner.PlayerName + " 1");
            QCOMPARE(winner.StatusBar1()->panelText(1),
                     winner.PlayerName + " 1 - " + loser.PlayerName + " 0");
            QCOMPARE(winner.Board.cell(4, 1), cellEmpty);
            QCOMPARE(loser.Board.cell(4, 1), cellEmpty);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(disconnected(winner) && disconnected(loser), NetTimeout);
            QCOMPARE(history(winner).first(),
                     ":: " + loser.PlayerName + " hat die Verbindung getrennt");
            // The last position stays.
            QCOMPARE(winner.Board.cell(4, 4), cellMine);
            QCOMPARE(loser.Board.cell(4, 4), cellTheirs);
        }
    }

    void drawnGame()
    {
        QVERIFY(connectForms(*m_host, *m_guest));
        play(Drawn);
        const QString drawn = "Dropstone|Unentschieden|0";
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.seen, QStringList({drawn, drawn}), NetTimeout);
        for (TForm1 *form : {m_host.get(), m_guest.get()}) {
            QCOMPARE(form->GameState, gsGameOver);
            QVERIFY(form->StatusBar1()->panelText(0).endsWith(" - Spiel beendet"));
            QCOMPARE(form->StatusBar1()->panelText(1).count(" 0"), 2);
        }
    }

    void newCommand_data()
    {
        QTest::addColumn<int>("state");  // of the user's side when the command is given
        QTest::addColumn<bool>("ended"); // the connection ends while the question is open
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("started");
        QTest::newRow("my turn, yes") << int(gsMyTurn) << false << "Yes" << true << true;
        QTest::newRow("my turn, no") << int(gsMyTurn) << false << "No" << true << false;
        QTest::newRow("their turn, yes") << int(gsTheirTurn) << false << "Yes" << true << true;
        QTest::newRow("yes after the connection ended")
            << int(gsMyTurn) << true << "Yes" << true << false;
        QTest::newRow("game over: no question") << int(gsGameOver) << false << "" << false << true;
        QTest::newRow("not connected: nothing") << int(gsNoGame) << false << "" << false << false;
    }

    void newCommand()
    {
        QFETCH(int, state);
        QFETCH(bool, ended);
        QFETCH(QString, answer);
        QFETCH(bool, started);
        TForm1 &user = *m_host;
        if (state != gsNoGame)
            QVERIFY(connectForms(user, *m_guest));
        // A drawn game ends on both sides alike; otherwise a move or two.
        if (state == gsGameOver)
            play(Drawn);
        else if (state != gsNoGame)
            play(state == gsMyTurn ? QList<int>{3} : QList<int>{3, 5});
        QTRY_COMPARE_WITH_TIMEOUT(user.GameState, state, NetTimeout);
        const auto cells = [&] {
            return QList<int>{user.Board.cell(3, 1), user.Board.cell(4, 1)};
        };
        const QList<int> before = cells();
        m_boxes.seen.clear();
        m_boxes.policy = [&](const QString &) {
            if (ended) {
                m_guest->Disconnect1Click();
                (void)QTest::qWaitFor([&] { return disconnected(user); }, NetTimeout);
            }
            return answer;
        };
        user.New1Click();

        QFETCH(bool, asked);
        QCOMPARE(m_boxes.seen.size(), asked ? 1 : 0);
        QCOMPARE(user.GameState, started ? gsMyTurn : ended ? gsNoGame : state);
        QCOMPARE(cells(), started ? QList<int>({cellEmpty, cellEmpty}) : before);
        if (started)
            QTRY_COMPARE_WITH_TIMEOUT(m_guest->GameState, gsTheirTurn, NetTimeout);
    }

    void columnsOutside()
    {
        connectPeer();
        TForm1 &form = *m_host;
        m_peer.send(
            encoded({packetOf(pkNewGame), moveTo(0), moveTo(8), moveTo(-1), moveTo(1 << 30)}));
        QTRY_COMPARE_WITH_TIMEOUT(form.GameState, gsTheirTurn, NetTimeout);
        QTest::qWait(100);
        // No piece, and the turn stays the peer's.
        QCOMPARE(form.GameState, gsTheirTurn);
        for (int column = 1; column <= TBoard::Columns; ++column)
            QCOMPARE(form.Board.cell(column, 1), cellEmpty);
    }

    void afterLoss_data()
    {
        QTest::addColumn<QByteArray>("trailing"); // sent with the winning move
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("peerCloses");
        QTest::addColumn<QStringList>("historyHead");
        const QString named = ":: Du bist jetzt zu Xaver verbunden.";
        // The board the dialog leaves behind must not take the late move at (2, 4).
        QTest::newRow("a further move changes nothing")
            << encoded({moveTo(2)}) << "Verbindung trennen" << false << QStringList{named};
        QTest::newRow("lines that arrived before the close are kept")
            << encoded({packetOf(pkChat, "Xaver: tsch\xfc\x73s"), packetOf(pkDisconnect)})
            << "Nochmal spielen" << true
            << QStringList{":: Xaver hat die Verbindung getrennt", "Xaver: tschüss", named};
    }

    void afterLoss()
    {
        QFETCH(QByteArray, trailing);
        QFETCH(QString, answer);
        QFETCH(bool, peerCloses);
        QFETCH(QStringList, historyHead);
        connectPeer();
        TForm1 &form = *m_host;
        // The history as it stands when the dialog is answered: lines keep arriving under it.
        QStringList shown;
        m_boxes.policy = [&](const QString &) {
            QTest::qWait(200);
            if (peerCloses)
                (void)QTest::qWaitFor([&] { return disconnected(form); }, NetTimeout);
            shown = history(form);
            return answer;
        };
        m_peer.send(encoded({packetOf(pkName, "Xaver"), packetOf(pkNewGame), moveTo(1)}));
        for (int i = 0; i < 3; ++i) {
            QTRY_COMPARE_WITH_TIMEOUT(form.GameState, gsMyTurn, NetTimeout);
            clickCell(form, 2, form.Board.freeRow(2));
            m_peer.send(encoded({moveTo(1)}) + (i == 2 ? trailing : QByteArray()));
        }
        if (peerCloses)
            m_peer.close();

        QTRY_COMPARE_WITH_TIMEOUT(shown.mid(0, historyHead.size()), historyHead, NetTimeout);
        QTest::qWait(100);
        QCOMPARE(m_boxes.seen, QStringList{Lost});
        // The answer acts only on the connection it was given for; the last board stays.
        QTRY_VERIFY_WITH_TIMEOUT(disconnected(form), NetTimeout);
        QCOMPARE(form.Board.cell(1, 4), cellTheirs);
        QCOMPARE(form.Board.cell(2, 4), cellEmpty);
    }

    void chatCrosses()
    {
        TForm1 &form = *m_host;
        // Not connected: kept here, sent nowhere. Enter sends whatever modifiers are held.
        typeText(form.Memo1(), "vorher");
        QTest::keyClick(form.Memo1(), Qt::Key_Return, Qt::ShiftModifier);
        // Held down, Enter adds a line per repeat, of the name alone.
        for (int i = 0; i < 2; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
            QApplication::sendEvent(form.Memo1(), &repeat);
        }
        connectPeer();
        form.Memo1()->setPlainText("Grüße, 5 €\nΩ");
        QTest::keyClick(form.Memo1(), Qt::Key_Enter, Qt::KeypadModifier | Qt::ControlModifier);
        QCOMPARE(form.Memo1()->toPlainText(), QString());
        const QByteArray sent = encoded({packetOf(pkChat, "Anna: Gr\xfc\xdf"
                                                          "e, 5 \x80\r\n?")});
        QVERIFY(m_peer.receive(sent.size()));
        QCOMPARE(m_peer.received, sent);

        m_peer.send(encoded({packetOf(pkChat, "Xaver: a\r\nb\rc"), packetOf(pkChat, "<b>d</b>")}));
        // As the peer sees it: a foreign letter as "?", a line break where it broke, no markup.
        const QStringList shown = {"<b>d</b>", "Xaver: a",         "b",
                                   "c",        "Anna: Grüße, 5 €", "?",
                                   "Anna: ",   "Anna: ",           "Anna: vorher"};
        QTRY_COMPARE_WITH_TIMEOUT(history(form), shown, NetTimeout);
    }

    void notices()
    {
        TForm1 &form = *m_host;
        connectPeer();
        m_peer.send(encoded({packetOf(pkDisconnect), packetOf(pkName, "<i>Xa</i> %2"),
                             packetOf(pkName, "Yvo\xe9"), packetOf(pkDisconnect)}));
        QTRY_COMPARE_WITH_TIMEOUT(history(form),
                                  QStringList({":: Yvoé hat die Verbindung getrennt",
                                               ":: Du bist jetzt zu Yvoé verbunden.",
                                               ":: Du bist jetzt zu <i>Xa</i> %2 verbunden.",
                                               ":: keiner hat die Verbindung getrennt"}),
                                  NetTimeout);
        // The name reaches the status bar at once, before any game; a notice closes nothing.
        QCOMPARE(form.StatusBar1()->panelText(1), QString("Anna 0 - Yvoé 0"));
        QCOMPARE(form.ConnState, cnConnected);

        // Markup in a name shows as it is written, in the status bar too.
        m_peer.send(encoded({packetOf(pkName, "<b>Bob</b>")}));
        QTRY_COMPARE_WITH_TIMEOUT(form.StatusBar1()->panelText(1), "Anna 0 - <b>Bob</b> 0",
                                  NetTimeout);
        for (QLabel *label : form.StatusBar1()->findChildren<QLabel *>()) {
            if (label->text().contains("<b>"))
                QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        // A name is shown by its head, wherever it is shown; the wire keeps it whole.
        const std::string longName(100000, 'N');
        m_peer.send(encoded({packetOf(pkName, longName), packetOf(pkNewGame)}));
        const QString head = QString(TForm1::ShownNameLength, 'N') + QChar(0x2026);
        QTRY_COMPARE_WITH_TIMEOUT(form.GameState, gsTheirTurn, NetTimeout);
        QCOMPARE(form.OpponentName.size(), qsizetype(longName.size()));
        QCOMPARE(history(form).first(), ":: Du bist jetzt zu " + head + " verbunden.");
        QCOMPARE(form.StatusBar1()->panelText(1), "Anna 0 - " + head + " 0");
        QVERIFY(form.StatusBar1()->panelText(0).endsWith(" - " + head + "' ist am Zug"));
    }

    void historyBounded_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("words"); // of 999 letters and a blank, after the line's number
        QTest::addColumn<int>("kept");  // lines, or -1: as many as the characters allow
        QTest::newRow("lines of 16,000 characters: the oldest go by characters") << 300 << 16 << -1;
        QTest::newRow("short lines: the oldest go by their number")
            << TForm1::HistoryLines + 5 << 0 << TForm1::HistoryLines;
        QTest::newRow("a line of a million characters is cut") << 1 << 1000 << 1;
    }

    void historyBounded()
    {
        QFETCH(int, count);
        QFETCH(int, words);
        QFETCH(int, kept);
        TForm1 &form = *m_host;
        const QString text = (QString(999, 'x') + ' ').repeated(words);
        // As a flood is handed on: the lines go in together, here in two parts.
        form.HandOnDepth = 1;
        for (int i = 0; i < count; ++i) {
            form.AddHistoryLine(QString::number(i) + ' ' + text);
            if (i == count / 2)
                form.FlushHistory();
        }
        form.HandOnDepth = 0;
        form.FlushHistory();

        const QStringList lines = history(form);
        if (kept >= 0)
            QCOMPARE(lines.size(), kept);
        else
            QVERIFY(lines.size() < count);
        QVERIFY(form.Memo2()->document()->characterCount() <= TForm1::HistoryLimit);
        // Newest on top, the oldest gone.
        QVERIFY(lines.first().startsWith(QString::number(count - 1) + ' '));
        QVERIFY(lines.last().startsWith(QString::number(count - lines.size()) + ' '));
        const bool cut = words * 1000 > TForm1::LongestHistoryLine;
        QCOMPARE(lines.first().endsWith(QChar(0x2026)), cut);
        if (cut)
            QCOMPARE(lines.first().size(), TForm1::LongestHistoryLine + 1);
    }

    void historyReleasedLinesShownAgain()
    {
        // Lines pushed out of view give up their layouts; a taller history shows them again.
        TForm1 &form = *m_host;
        QPlainTextEdit *history = form.Memo2();
        for (int i = 0; i < 200; ++i) {
            form.AddHistoryLine(QStringLiteral("Zeile %1").arg(i));
            // Painted on top, and so laid out, before the next line pushes it down.
            if (i % 10 == 0)
                QTRY_VERIFY_WITH_TIMEOUT(
                    history->document()->firstBlock().next().layout()->lineCount() > 0, 5000);
        }
        QCOMPARE(history->document()->findBlockByNumber(150).layout()->lineCount(), 0);
        form.resize(form.width(), 1000);
        QTRY_VERIFY_WITH_TIMEOUT(history->viewport()->height() > 800, 5000);
        const QImage shot = history->viewport()->grab().toImage();
        const QColor background = history->palette().color(QPalette::Disabled, QPalette::Base);
        // Text in the lowest tenth of the view.
        bool drawn = false;
        for (int y = shot.height() * 9 / 10; y < shot.height() && !drawn; ++y) {
            for (int x = 0; x < shot.width() && !drawn; ++x)
                drawn = shot.pixelColor(x, y) != background;
        }
        QVERIFY(drawn);
    }
};

DROPSTONE_TEST_MAIN(tst_Connection)
#include "tst_connection.moc"

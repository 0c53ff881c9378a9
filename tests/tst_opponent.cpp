// The computer opponent: its executable as a bare peer sees it (name, turns, pauses, garbage,
// its end), and the window playing it through the menu item, the level dialog and the ordinary
// match flow.
#include "MatchSupport.h"
#include "app/dialogs/Unit7.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>

#include <algorithm>
#include <csignal>

namespace {

const QString Program = QStringLiteral(OPPONENT_PROGRAM);
const QString Lost = "TForm5|Du hast verloren";
// The opponent answers after a pause of at least this, and never later than Latest.
constexpr int Earliest = 250;
constexpr int Latest = 1000;
// Long enough for any answer to have come.
constexpr int Silence = 1300;

QString errorBox(const QString &text)
{
    return "Dropstone|" + text + '|' + QString::number(QMessageBox::Critical);
}

// Whether the process has ended: it no longer exists, or it is a zombie that nobody reaped.
bool gone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return true;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

QList<TDataPacket> decoded(const QByteArray &bytes)
{
    QList<TDataPacket> packets;
    auto data = std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                          std::size_t(bytes.size()));
    for (TDataPacket packet; DecodePacket(data, packet).status == dsPacket;) {
        data = data.subspan(DecodePacket(data, packet).length);
        packets << packet;
    }
    return packets;
}

QList<int> movesIn(const QByteArray &bytes)
{
    QList<int> columns;
    for (const TDataPacket &packet : decoded(bytes)) {
        if (packet.Kind == pkMove)
            columns << packet.Column;
    }
    return columns;
}

// The opponent started by the test, with its port read.
struct Child
{
    QProcess process;
    std::uint16_t port = 0;

    bool start(const QString &level)
    {
        process.setProgram(Program);
        process.setArguments({level});
        process.start();
        if (!process.waitForStarted(NetTimeout))
            return false;
        while (!process.canReadLine() && process.waitForReadyRead(NetTimeout)) {
        }
        port = std::uint16_t(process.readLine().trimmed().toUInt());
        return port != 0;
    }

    bool ended() { return process.waitForFinished(NetTimeout) || gone(process.processId()); }

    ~Child()
    {
        process.kill();
        process.waitForFinished(NetTimeout);
    }
};

// A game position's stones of one side that can complete a line of four at once.
int winningColumn(const TBoard &board, std::int32_t side)
{
    for (int column = 1; column <= TBoard::Columns; ++column) {
        const int row = board.freeRow(column);
        if (row == 0)
            continue;
        TBoard after = board;
        after.dropAt(column, row, side);
        if (after.scanWins(side, {}))
            return column;
    }
    return 0;
}

// The window's player: one who wins where it can and blocks the computer's win, or one who
// does neither and so hands the computer its lines.
int chooseColumn(const TBoard &board, bool toWin)
{
    const int win = winningColumn(board, cellMine);
    const int threat = winningColumn(board, cellTheirs);
    if (toWin && (win || threat))
        return win ? win : threat;
    for (int column : {4, 3, 5, 2, 6, 1, 7}) {
        if (board.freeRow(column) == 0)
            continue;
        if (toWin || (column != win && column != threat))
            return column;
    }
    for (int column = 1; column <= TBoard::Columns; ++column) {
        if (board.freeRow(column) != 0)
            return column;
    }
    return 0;
}

// Confirms the level dialog, gives the play-again dialog the answer, closes message boxes.
std::function<QString(const QString &)> confirming(const QString &again = QString())
{
    return [again](const QString &text) {
        return text.isEmpty() ? QStringLiteral("Okay") : text == Lost ? again : QString();
    };
}

int stones(const TBoard &board)
{
    int count = 0;
    for (int column = 1; column <= TBoard::Columns; ++column) {
        for (int row = 1; row <= TBoard::Rows; ++row)
            count += board.cell(column, row) != cellEmpty;
    }
    return count;
}

} // namespace

class tst_Opponent : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_form;
    // The opponent's answers as the window saw them, in milliseconds after its move.
    QList<qint64> m_delays;

    // Chooses the menu item and the level, and waits until the first game runs.
    bool startMatch(int level)
    {
        m_form->OpponentProgram = Program;
        m_form->ComputerLevel = level;
        m_form->Computer1()->trigger();
        return QTest::qWaitFor(
            [&] { return m_form->ConnState == cnConnected && m_form->GameState == gsMyTurn; },
            NetTimeout);
    }

    // Plays one game to its end; returns +1 for the window's win, -1 for its loss, 0 for a
    // full board, 2 when an answer did not come and 3 when the connection ended. The boxes
    // the end shows are answered by the policy.
    int playGame(bool toWin)
    {
        TForm1 &form = *m_form;
        const int wins = form.PlayerScore;
        const int losses = form.OpponentScore;
        const auto over = [&] {
            return form.PlayerScore != wins || form.OpponentScore != losses ||
                   form.GameState == gsGameOver || form.ConnState != cnConnected;
        };
        while (!over()) {
            if (!QTest::qWaitFor([&] { return form.GameState == gsMyTurn || over(); },
                                 NetTimeout)) {
                qWarning("no turn: state %d", form.GameState);
                return 2;
            }
            if (over())
                break;
            const int column = chooseColumn(form.Board, toWin);
            const int before = stones(form.Board);
            QElapsedTimer clock;
            clock.start();
            clickCell(form, column, form.Board.freeRow(column));
            if (!QTest::qWaitFor([&] { return over() || stones(form.Board) == before + 2; },
                                 NetTimeout)) {
                qWarning("no answer to %d: state %d", column, form.GameState);
                return 2;
            }
            if (!over() && form.GameState == gsMyTurn)
                m_delays << clock.elapsed();
        }
        if (form.ConnState != cnConnected)
            return 3;
        if (form.PlayerScore != wins)
            return 1;
        return form.OpponentScore != losses ? -1 : 0;
    }

    // After a full board the window starts the next game; after the computer's loss the
    // computer does, at once, and a New of ours would cross its new game.
    bool nextGame(int result)
    {
        if (result == 0)
            m_form->New1Click();
        return QTest::qWaitFor([&] { return m_form->GameState != gsGameOver; }, NetTimeout);
    }

private slots:
    void init()
    {
        m_form = makeForm(m_boxes, "Anna");
        m_boxes.seen.clear();
        // The level dialog has no message.
        m_boxes.policy = confirming();
    }

    void cleanup() { m_form.reset(); }

    void cleanupTestCase()
    {
        if (m_delays.isEmpty())
            return;
        std::sort(m_delays.begin(), m_delays.end());
        qInfo("window: %lld answers, delay min %lld ms, median %lld ms, max %lld ms",
              qint64(m_delays.size()), m_delays.first(), m_delays[m_delays.size() / 2],
              m_delays.last());
    }

    // --- The executable as a bare peer sees it.

    void nameAndPause_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("name");

        QTest::newRow("leicht") << "leicht"
                                << "Computer (Leicht)";
        QTest::newRow("mittel") << "mittel"
                                << "Computer (Mittel)";
        QTest::newRow("stark") << "stark"
                               << "Computer (Stark)";
    }

    // It introduces itself and answers each move after a pause, within a second.
    void nameAndPause()
    {
        QFETCH(QString, level);
        QFETCH(QString, name);

        Child child;
        QVERIFY(child.start(level));
        RawPeer peer;
        QVERIFY(peer.connectTo(child.port));
        const QByteArray greeting = encoded({packetOf(pkName, name.toStdString())});
        QVERIFY(peer.receive(greeting.size()));
        QCOMPARE(peer.received, greeting);

        peer.send(encoded({packetOf(pkName, "Anna"), packetOf(pkNewGame)}));
        QList<qint64> delays;
        // No line of four can come of three moves a side.
        for (int column : {1, 7, 1}) {
            const qsizetype before = movesIn(peer.received).size();
            QElapsedTimer clock;
            clock.start();
            peer.send(encoded({moveTo(column)}));
            QVERIFY(QTest::qWaitFor(
                [&] {
                    peer.receive(0);
                    return movesIn(peer.received).size() > before;
                },
                NetTimeout));
            delays << clock.elapsed();
        }
        qInfo("%s: answers after %lld, %lld, %lld ms", qPrintable(level), delays[0], delays[1],
              delays[2]);
        for (qint64 delay : delays)
            QVERIFY2(delay >= Earliest && delay <= Latest, qPrintable(QString::number(delay)));
        for (int column : movesIn(peer.received))
            QVERIFY(column >= 1 && column <= 7);
    }

    // Out of turn it neither moves nor takes the window's move.
    void onlyInTurn()
    {
        Child child;
        QVERIFY(child.start("mittel"));
        RawPeer peer;
        QVERIFY(peer.connectTo(child.port));
        peer.send(encoded({moveTo(4)}));
        QTest::qWait(Silence);
        peer.receive(0);
        QCOMPARE(decoded(peer.received).size(), 1);

        peer.send(encoded({packetOf(pkNewGame), moveTo(4), moveTo(5)}));
        QTest::qWait(Silence);
        peer.receive(0);
        QCOMPARE(movesIn(peer.received).size(), 1);
        // The second move did not count: the board holds two stones, and the next move is
        // answered.
        peer.send(encoded({moveTo(4)}));
        QVERIFY(QTest::qWaitFor(
            [&] {
                peer.receive(0);
                return movesIn(peer.received).size() == 2;
            },
            NetTimeout));
    }

    // A new game that arrives while it thinks drops the move it was about to send.
    void newGameDropsPendingMove()
    {
        Child child;
        QVERIFY(child.start("stark"));
        RawPeer peer;
        QVERIFY(peer.connectTo(child.port));
        peer.send(encoded({packetOf(pkNewGame), moveTo(4)}));
        QTest::qWait(100);
        peer.send(encoded({packetOf(pkNewGame)}));
        QTest::qWait(Silence);
        peer.receive(0);
        QCOMPARE(movesIn(peer.received).size(), 0);

        QElapsedTimer clock;
        clock.start();
        peer.send(encoded({moveTo(3)}));
        QVERIFY(QTest::qWaitFor(
            [&] {
                peer.receive(0);
                return movesIn(peer.received).size() == 1;
            },
            NetTimeout));
        QVERIFY(clock.elapsed() <= Latest);
    }

    void garbage_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("noise") << QByteArray::fromHex("ff01060858585858001337");
        QTest::newRow("columns off the board")
            << encoded({moveTo(0), moveTo(8), moveTo(-1), moveTo(100000)});
        QTest::newRow("chat and name")
            << encoded({packetOf(pkChat, "Hallo?"), packetOf(pkName, std::string(300, 'x'))});
        QTest::newRow("chat without its end marker")
            << encoded({packetOf(pkChat, "x")}).chopped(1) + '\x07';
    }

    // Bytes no copy sends are no move and get no answer; the game goes on.
    void garbage()
    {
        QFETCH(QByteArray, bytes);

        Child child;
        QVERIFY(child.start("leicht"));
        RawPeer peer;
        QVERIFY(peer.connectTo(child.port));
        peer.send(encoded({packetOf(pkNewGame)}));
        QTest::qWait(50);
        peer.send(bytes);
        QTest::qWait(Silence);
        peer.receive(0);
        QCOMPARE(decoded(peer.received).size(), 1);
        QCOMPARE(child.process.state(), QProcess::Running);

        peer.send(encoded({packetOf(pkNewGame), moveTo(4)}));
        QVERIFY(QTest::qWaitFor(
            [&] {
                peer.receive(0);
                return movesIn(peer.received).size() == 1;
            },
            NetTimeout));
    }

    void ends_data()
    {
        QTest::addColumn<QString>("how");

        QTest::newRow("goodbye") << "goodbye";
        QTest::newRow("connection closed") << "close";
        QTest::newRow("connection reset") << "reset";
        QTest::newRow("parent's pipe closed while connected") << "pipe";
        QTest::newRow("parent's pipe closed while listening") << "pipe, listening";
    }

    void ends()
    {
        QFETCH(QString, how);

        Child child;
        QVERIFY(child.start("stark"));
        RawPeer peer;
        if (how != "pipe, listening") {
            QVERIFY(peer.connectTo(child.port));
            peer.send(encoded({packetOf(pkNewGame), moveTo(4)}));
        }
        if (how == "goodbye")
            peer.send(encoded({packetOf(pkDisconnect)}));
        else if (how.startsWith("pipe"))
            child.process.closeWriteChannel();
        else
            peer.close(how == "reset");
        QVERIFY(child.ended());
        QCOMPARE(child.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.process.exitCode(), 0);
        if (how == "goodbye")
            QVERIFY(peer.waitClosed());
    }

    // It takes one connection: the listener is gone once the window is connected.
    void oneConnection()
    {
        Child child;
        QVERIFY(child.start("mittel"));
        RawPeer first;
        RawPeer second;
        QVERIFY(first.connectTo(child.port));
        QVERIFY(first.receive(1));
        QVERIFY(!second.connectTo(child.port));
    }

    // Killed with its parent, whatever its standard input.
    void endsWithParent()
    {
        QProcess parent;
        // The shell tells the child's process id, the child its port, in either order.
        parent.start("sh", {"-c", "\"$0\" stark </dev/null & echo pid $!; wait", Program});
        QVERIFY(parent.waitForStarted(NetTimeout));
        QByteArray lines;
        while (lines.count('\n') < 2 && parent.waitForReadyRead(NetTimeout))
            lines += parent.readAll();
        qint64 pid = 0;
        for (const QByteArray &line : lines.split('\n')) {
            if (line.startsWith("pid "))
                pid = line.mid(4).toLongLong();
        }
        QVERIFY(pid > 0);
        QVERIFY(!gone(pid));
        parent.kill();
        parent.waitForFinished(NetTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(gone(pid), NetTimeout);
    }

    // --- The window.

    // Last in the connection menu, after a separator below the four connection commands.
    void menuPlace()
    {
        QCOMPARE(m_form->Computer1()->text(), "Gegen den &Computer...");
        const QList<QAction *> items =
            m_form->Connect1()->associatedObjects().isEmpty()
                ? QList<QAction *>()
                : qobject_cast<QMenu *>(m_form->Connect1()->associatedObjects().first())->actions();
        QCOMPARE(items.size(), 6);
        QCOMPARE(items[3], m_form->StopListening1());
        QVERIFY(items[4]->isSeparator());
        QCOMPARE(items[5], m_form->Computer1());
    }

    void dialogLooks()
    {
        TForm7 dialog;
        QCOMPARE(dialog.windowTitle(), "Gegen den Computer");
        QCOMPARE(dialog.RadioButton1()->text(), "Leicht");
        QCOMPARE(dialog.RadioButton2()->text(), "Mittel");
        QCOMPARE(dialog.RadioButton3()->text(), "Stark");
        QCOMPARE(dialog.Level(), 1);
        QVERIFY(dialog.windowFlags().testFlag(Qt::Tool));
        QVERIFY(dialog.findChild<QPushButton *>("Button1")->isDefault());
        // A screen reader names each choice and tells which one is taken.
        for (QRadioButton *radio :
             {dialog.RadioButton1(), dialog.RadioButton2(), dialog.RadioButton3()}) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(radio);
            QVERIFY(accessible);
            QCOMPARE(accessible->role(), QAccessible::RadioButton);
            QCOMPARE(accessible->text(QAccessible::Name), radio->text());
            QCOMPARE(accessible->state().checked, radio == dialog.RadioButton2());
        }
    }

    void dialogKeys_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("level");

        QTest::newRow("enter") << QList<int>{Qt::Key_Return} << 1 << 1;
        QTest::newRow("escape") << QList<int>{Qt::Key_Escape} << 2 << 1;
        QTest::newRow("down, enter") << QList<int>{Qt::Key_Down, Qt::Key_Return} << 1 << 2;
        QTest::newRow("up, enter") << QList<int>{Qt::Key_Up, Qt::Key_Return} << 1 << 0;
        QTest::newRow("up, down, enter")
            << QList<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_Return} << 1 << 1;
        QTest::newRow("tab to Abbrechen, enter")
            << QList<int>{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return} << 2 << 1;
    }

    // Arrows move the choice, Enter confirms it, Escape cancels: no mouse needed.
    void dialogKeys()
    {
        QFETCH(QList<int>, keys);

        TForm7 dialog;
        // What the keys leave open is closed afterwards.
        m_boxes.policy = [&](const QString &) {
            QWidget *modal = QApplication::activeModalWidget();
            // The arrows move among the choices of the window that has the keyboard.
            modal->activateWindow();
            if (QTest::qWaitForWindowActive(modal) && modal->focusWidget()) {
                for (int key : keys)
                    QTest::keyClick(modal->focusWidget(), Qt::Key(key));
            }
            return QString();
        };
        QTEST(dialog.ShowModal(), "result");
        QTEST(dialog.Level(), "level");
    }

    // The level chosen last is offered again; a failed start says so and leaves nothing.
    void levelRememberedAndFailedStart()
    {
        m_form->OpponentProgram = QStringLiteral("/nonexistent/dropstone-opponent");
        int offered = -1;
        m_boxes.policy = [&](const QString &text) {
            if (!text.isEmpty())
                return QString();
            offered = Form7->Level();
            Form7->RadioButton3()->click();
            return QStringLiteral("Okay");
        };
        m_form->Computer1()->trigger();
        QCOMPARE(offered, 1);
        QTRY_COMPARE_WITH_TIMEOUT(
            m_boxes.seen, QStringList({"", errorBox("Der Computer konnte nicht gestartet werden")}),
            5000);
        QCOMPARE(m_form->ComputerLevel, 2);
        QVERIFY(disconnected(*m_form));
        QVERIFY(!m_form->Opponent);

        m_boxes.policy = [&](const QString &) {
            offered = Form7->Level();
            return QStringLiteral("Abbrechen");
        };
        m_form->Computer1()->trigger();
        QCOMPARE(offered, 2);
        QCOMPARE(m_boxes.seen.size(), 3);
        QVERIFY(disconnected(*m_form));
    }

    // The menu item, the dialog and a whole game over loopback, as any match.
    void wholeGame()
    {
        m_boxes.policy = confirming("Nochmal spielen");
        QVERIFY(startMatch(2));
        QCOMPARE(m_form->AddressText, "127.0.0.1");
        QTRY_COMPARE_WITH_TIMEOUT(m_form->OpponentName, "Computer (Stark)", NetTimeout);
        QVERIFY(!m_form->Computer1()->isEnabled());
        const int result = playGame(true);
        QVERIFY(result != 2);
        QCOMPARE(m_form->ConnState, cnConnected);
        QCOMPARE(m_form->PlayerScore + m_form->OpponentScore, result == 0 ? 0 : 1);
    }

    void playAgain_data()
    {
        QTest::addColumn<bool>("windowWins");

        QTest::newRow("after the window's loss") << false;
        QTest::newRow("after the computer's loss") << true;
    }

    // The loser begins the next game: the window after choosing "Nochmal spielen", the
    // computer at once.
    void playAgain()
    {
        QFETCH(bool, windowWins);

        m_boxes.policy = confirming("Nochmal spielen");
        QVERIFY(startMatch(0));
        // Games against a level that plays loosely go either way; a few show each.
        int result = 0;
        for (int game = 0; game < 12 && result != (windowWins ? 1 : -1); ++game) {
            result = playGame(windowWins);
            QVERIFY(result != 2);
            if (result != (windowWins ? 1 : -1))
                QVERIFY(nextGame(result));
        }
        QCOMPARE(result, windowWins ? 1 : -1);
        if (windowWins) {
            // The computer's new game and first move.
            QTRY_COMPARE_WITH_TIMEOUT(stones(m_form->Board), 1, NetTimeout);
            QCOMPARE(m_form->GameState, gsMyTurn);
        } else {
            QCOMPARE(m_boxes.seen.count(Lost), 1);
            QCOMPARE(m_form->GameState, gsMyTurn);
            QCOMPARE(stones(m_form->Board), 0);
        }
        QCOMPARE(m_form->ConnState, cnConnected);
    }

    void childEnds_data()
    {
        QTest::addColumn<QString>("how");

        QTest::newRow("disconnect") << "disconnect";
        QTest::newRow("lost, then Verbindung trennen") << "lost";
        QTest::newRow("window closed during a game") << "window";
    }

    // The child lives no longer than the connection, nor than the window.
    void childEnds()
    {
        QFETCH(QString, how);

        m_boxes.policy = confirming("Verbindung trennen");
        QVERIFY(startMatch(how == "lost" ? 2 : 1));
        QVERIFY(m_form->Opponent);
        const qint64 pid = m_form->Opponent->processId();
        QVERIFY(!gone(pid));
        if (how == "disconnect") {
            clickCell(*m_form, 4, 1);
            m_form->Disconnect1()->trigger();
        } else if (how == "lost") {
            int result = 0;
            for (int game = 0; game < 12 && result != 3; ++game) {
                result = playGame(false);
                QVERIFY(result != 2);
                if (result != 3)
                    QVERIFY(nextGame(result));
            }
            QCOMPARE(m_boxes.seen.count(Lost), 1);
        } else {
            clickCell(*m_form, 4, 1);
            m_form.reset();
        }
        QVERIFY(gone(pid));
        if (m_form) {
            QVERIFY(disconnected(*m_form));
            QVERIFY(!m_form->Opponent);
            QVERIFY(m_form->Computer1()->isEnabled());
        }
    }
};

DROPSTONE_TEST_MAIN(tst_Opponent)
#include "tst_opponent.moc"

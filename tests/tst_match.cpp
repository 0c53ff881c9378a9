// Games between two main windows over loopback, and the packets of a peer that breaks the rules.
#include "MatchSupport.h"

using namespace winsock;

namespace {

const QString Question = "Dropstone|Bist du sicher dass du das Spiel beenden willst?|" +
                         QString::number(QMessageBox::Critical);
const QString Lost = "TForm5|Du hast verloren";

QColor pixelAt(TForm1 &form, int column, int row)
{
    TPaintBox *surface = form.PaintBox1();
    const PixelPoint point =
        BoardGeometry(surface->width(), surface->height()).linePoint(column, row);
    return surface->grab().toImage().pixelColor(point.x, point.y);
}

} // namespace

class tst_Match : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_host;
    std::unique_ptr<TForm1> m_guest;

    // The side to move clicks the lowest free cell of each column in turn and waits until
    // the other side has taken the move.
    void play(const QList<int> &columns)
    {
        for (int column : columns) {
            TForm1 &mover = m_guest->GameState == gsMyTurn ? *m_guest : *m_host;
            TForm1 &other = &mover == m_guest.get() ? *m_host : *m_guest;
            QCOMPARE(mover.GameState, gsMyTurn);
            clickCell(mover, column, freeRow(mover, column));
            QTRY_VERIFY_WITH_TIMEOUT(other.GameState != gsTheirTurn, NetTimeout);
        }
    }

private slots:
    void init()
    {
        m_host = makeForm(m_boxes, "Anna");
        m_guest = makeForm(m_boxes, "Bert");
        m_boxes.policy = nullptr;
        QVERIFY(connectForms(*m_host, *m_guest));
        m_boxes.seen.clear();
    }

    void cleanup()
    {
        m_guest.reset();
        m_host.reset();
    }

    void wholeGame_data()
    {
        QTest::addColumn<bool>("guestWins");
        QTest::addColumn<QString>("answer");
        for (bool guestWins : {true, false}) {
            const char *winner = guestWins ? "connecting side wins, " : "listening side wins, ";
            QTest::addRow("%sagain", winner) << guestWins << "Nochmal spielen";
            QTest::addRow("%sdisconnect", winner) << guestWins << "Verbindung trennen";
        }
    }

    void wholeGame()
    {
        QFETCH(bool, guestWins);
        QFETCH(QString, answer);
        TForm1 &winner = guestWins ? *m_guest : *m_host;
        TForm1 &loser = guestWins ? *m_host : *m_guest;
        // Both boards show the line when the loser is asked.
        QList<QColor> lines;
        m_boxes.policy = [&](const QString &box) {
            if (box == Lost)
                lines << pixelAt(winner, 4, 2) << pixelAt(loser, 4, 2);
            return box == Lost ? answer : QString();
        };
        play(guestWins ? QList<int>{4, 5, 4, 5, 4, 5, 4} : QList<int>{1, 4, 2, 4, 1, 4, 2, 4});

        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.seen.size(), 2, NetTimeout);
        QCOMPARE(m_boxes.seen.contains("Dropstone|Du hast gewonnen|0"), true);
        QCOMPARE(lines, QList<QColor>({Qt::black, Qt::black}));
        if (answer == "Nochmal spielen") {
            // The loser moves first; the score stays.
            QTRY_COMPARE_WITH_TIMEOUT(winner.GameState, gsTheirTurn, NetTimeout);
            QCOMPARE(loser.GameState, gsMyTurn);
            QCOMPARE(panelText(winner, 1), winner.PlayerName + " 1 - " + loser.PlayerName + " 0");
            QCOMPARE(panelText(loser, 1), loser.PlayerName + " 0 - " + winner.PlayerName + " 1");
            QCOMPARE(winner.Board.cell(4, 1), cellEmpty);
            QCOMPARE(loser.Board.cell(4, 1), cellEmpty);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(winner.ConnState, cnDisconnected, NetTimeout);
            QCOMPARE(loser.ConnState, cnDisconnected);
            QCOMPARE(history(winner).first(),
                     ":: " + loser.PlayerName + " hat die Verbindung getrennt");
            QCOMPARE(winner.Board.cell(4, 4), cellMine);
            QCOMPARE(loser.Board.cell(4, 4), cellTheirs);
            QCOMPARE(winner.PlayerScore, 0);
        }
    }

    void newCommand_data()
    {
        QTest::addColumn<bool>("ended"); // the connection ends while the question is open
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("started");
        QTest::newRow("yes") << false << "Yes" << true;
        QTest::newRow("no") << false << "No" << false;
        QTest::newRow("yes after the connection ended") << true << "Yes" << false;
    }

    void newCommand()
    {
        QFETCH(bool, ended);
        QFETCH(QString, answer);
        QFETCH(bool, started);
        TForm1 &user = *m_host;
        TForm1 &other = *m_guest;
        play({3});
        m_boxes.policy = [&](const QString &) {
            if (ended) {
                other.Disconnect1Click();
                (void)QTest::qWaitFor([&] { return user.ConnState == cnDisconnected; }, NetTimeout);
            }
            return answer;
        };
        action(user, "New1")->trigger();

        QCOMPARE(m_boxes.seen, QStringList{Question});
        if (started) {
            QCOMPARE(user.GameState, gsMyTurn);
            QTRY_COMPARE_WITH_TIMEOUT(other.Board.cell(3, 1), cellEmpty, NetTimeout);
            QCOMPARE(other.GameState, gsTheirTurn);
        } else {
            QCOMPARE(user.GameState, ended ? gsNoGame : gsMyTurn);
            QCOMPARE(user.Board.cell(3, 1), cellTheirs);
        }
        // Once disconnected, the command does nothing at all.
        other.Disconnect1Click();
        QTRY_COMPARE_WITH_TIMEOUT(user.ConnState, cnDisconnected, NetTimeout);
        m_boxes.seen.clear();
        action(user, "New1")->trigger();
        QCOMPARE(user.GameState, gsNoGame);
        QVERIFY(m_boxes.seen.isEmpty());
    }

    void clicksOutOfTurn()
    {
        TForm1 &host = *m_host;
        TForm1 &guest = *m_guest;
        clickCell(host, 1, 1);  // not its turn
        clickCell(guest, 2, 2); // not the lowest free cell
        QTest::qWait(100);
        QCOMPARE(host.Board.cell(1, 1) + guest.Board.cell(2, 2) + host.Board.cell(2, 1), 0);
        QCOMPARE(guest.GameState, gsMyTurn);
        QCOMPARE(host.GameState, gsTheirTurn);
        QCOMPARE(panelText(guest, 0).endsWith("Dein Zug"), true);
    }
};

DROPSTONE_TEST_MAIN(tst_Match)
#include "tst_match.moc"

// The board played with the keyboard and read as assistive technology reads it.
// Runs on an accessibility bus with QT_LINUX_ACCESSIBILITY_ALWAYS_ON (with_a11y_bus.sh), as
// with a screen reader running, so that the board sends its events.
#include "MatchSupport.h"

#include "platform/Announcer.h"

#include <QAccessible>
#include <QKeySequence>

namespace {

// The board's name and description changes; the update handler takes a plain function, so
// the log cannot live in the test object.
QStringList accessEvents;

void recordEvent(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::NameChanged)
        accessEvents << event->accessibleInterface()->text(QAccessible::Name);
    else if (event->type() == QAccessible::DescriptionChanged)
        accessEvents << event->accessibleInterface()->text(QAccessible::Description);
}

// A key held down: the repeats the system sends, through the application's filters as a real
// key event goes.
void sendRepeat(QWidget *target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(target, &press);
}

// How many of the focus frame and the chosen column's ring are drawn.
int marks(TForm1 &form)
{
    TPaintBox *surface = form.PaintBox1();
    const CellRect cell = BoardGeometry(surface->width(), surface->height())
                              .cellRect(form.ChosenColumn, form.Board.freeRow(form.ChosenColumn));
    const QImage image = surface->grab().toImage();
    const bool frame = image.pixelColor(1, 1) == Qt::white;
    const bool ring =
        image.pixelColor(cell.left + 2, (cell.top + cell.bottom) / 2) == form.PlayerColor;
    return int(frame) + int(ring);
}

} // namespace

class tst_BoardKeys : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;

private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("gameState");
        QTest::addColumn<QString>("filled"); // pieces already in the columns, one digit each
        QTest::addColumn<int>("chosen");     // starting from column 4
        QTest::addColumn<QPoint>("move");    // the cell played, or none
        QTest::addColumn<QString>("heard");  // what the last key has spoken

        const int mine = gsMyTurn;
        const int theirs = gsTheirTurn;
        const QString empty = "0000000";
        QTest::newRow("arrows, stopping at the edge")
            << "Home Left Right Right Left Down" << mine << empty << 2 << QPoint(2, 1)
            << "Du setzt in Spalte 2, Zeile 1";
        // A click is the same move, and the keyboard goes on from the column clicked.
        QTest::newRow("click, then Left") << "click6 Left" << mine << empty << 5 << QPoint(6, 1)
                                          << "Spalte 5, Stein fällt in Zeile 1";
        // No column 8, 9 or 0.
        QTest::newRow("digits, keypad Enter on a filled column")
            << "3 8 9 0 Num+Enter" << mine << "0020000" << 3 << QPoint(3, 3)
            << "Du setzt in Spalte 3, Zeile 3";
        // Refusals, said rather than kept silent.
        QTest::newRow("full column")
            << "5 Return" << mine << "0000600" << 5 << QPoint() << "Spalte 5 ist voll";
        QTest::newRow("not this side's turn")
            << "2 Return" << theirs << empty << 2 << QPoint() << "Bob ist am Zug";
        QTest::newRow("no game") << "Return" << int(gsNoGame) << empty << 4 << QPoint()
                                 << "Kein Spiel";
        QTest::newRow("game over")
            << "Space" << int(gsGameOver) << empty << 4 << QPoint() << "Spiel beendet";
        // Held keys ("*": a repeat): one piece, and no word where nothing changes.
        QTest::newRow("held Return")
            << "Return Return* Return*" << mine << empty << 4 << QPoint(4, 1) << "";
        QTest::newRow("held Return, refused")
            << "Return Return*" << theirs << empty << 4 << QPoint() << "";
        QTest::newRow("held Right moves on") << "Home Right*" << mine << empty << 2 << QPoint()
                                             << "Spalte 2, Stein fällt in Zeile 1";
        QTest::newRow("held Right at the edge")
            << "End Right*" << mine << empty << 7 << QPoint() << "";
    }

    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(int, gameState);
        QFETCH(QString, filled);
        QFETCH(QPoint, move);

        auto form = makeForm(m_boxes, "Anna");
        form->OpponentName = "Bob";
        for (int column = 1; column <= TBoard::Columns; ++column) {
            for (int i = 0; i < filled[column - 1].digitValue(); ++i)
                form->Board.dropInto(column, i % 2 ? cellMine : cellTheirs);
        }
        form->GameState = gameState;
        QStringList heard;
        connect(form->Announcer1(), &Announcer::spokenOut, this,
                [&](const QString &utterance) { heard << utterance; });
        for (QString key : keys.split(' ')) {
            heard.clear();
            const bool repeat = key.endsWith('*');
            key.remove('*');
            const QKeyCombination pressed = QKeySequence::fromString(key)[0];
            if (key.startsWith("click"))
                clickCell(*form, key.mid(5).toInt(), 1);
            else if (repeat)
                sendRepeat(form->PaintBox1(), pressed.key());
            else
                QTest::keyClick(form->PaintBox1(), pressed.key(), pressed.keyboardModifiers());
            form->Announcer1()->flush();
        }
        QTEST(heard.join('|'), "heard");
        QTEST(form->ChosenColumn, "chosen");
        // The pieces in each column: one more in the column played, if any.
        QString pieces;
        for (int column = 1; column <= TBoard::Columns; ++column) {
            const int free = form->Board.freeRow(column);
            pieces += QString::number(free ? free - 1 : TBoard::Rows);
        }
        if (!move.isNull())
            filled[move.x() - 1] = QChar('0' + move.y());
        QCOMPARE(pieces, filled);
        if (!move.isNull()) {
            QCOMPARE(form->Board.cell(move.x(), move.y()), cellMine);
            QCOMPARE(form->GameState, gsTheirTurn);
        }
    }

    void focusMarks_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("onBoard");
        QTest::addColumn<bool>("marked");

        // From the chat input: Tab reaches the board, the board's Tab the input again.
        QTest::newRow("Tab and away") << "Tab Tab" << false << false;
        // A mouse player sees the board as designed, until a key is pressed on it.
        QTest::newRow("click, key") << "click Right" << true << true;
        QTest::newRow("Tab, click") << "Tab click" << true << false;
        // Focus back from a box keeps the mode it left with.
        QTest::newRow("Tab, box") << "Tab box" << true << true;
        QTest::newRow("click, box") << "click box" << true << false;
    }

    void focusMarks()
    {
        QFETCH(QString, steps);
        auto form = makeForm(m_boxes, "Anna");
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Memo1()->setFocus();
        QCOMPARE(marks(*form), 0);
        for (const QString &step : steps.split(' ')) {
            QWidget *focus = QApplication::focusWidget();
            if (step == "Tab") {
                QTest::keyClick(focus, Qt::Key_Tab);
                QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() != focus, 5000);
            } else if (step == "click") {
                QTest::mouseClick(form->PaintBox1(), Qt::LeftButton, {}, QPoint(200, 200));
                QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form->PaintBox1(), 5000);
            } else if (step == "box") {
                // The box takes the activation, and gives it back once closed, as a desktop's
                // window manager has it.
                bool boxActive = false;
                m_boxes.policy = [&](const QString &) {
                    QWidget *box = QApplication::activeModalWidget();
                    box->activateWindow();
                    boxActive = QTest::qWaitFor([box] { return box->isActiveWindow(); }, 5000);
                    return QString();
                };
                form->about1Click();
                m_boxes.policy = nullptr;
                QVERIFY(boxActive);
                form->activateWindow();
                QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), focus, 5000);
            } else {
                QTest::keyClick(focus, QKeySequence::fromString(step)[0].key());
            }
        }
        QTEST(form->PaintBox1()->hasFocus(), "onBoard");
        QFETCH(bool, marked);
        QCOMPARE(marks(*form), marked ? 2 : 0);
    }

    void heldEnter_data()
    {
        // Steps: N, M1 the peer's new game and moves; 2 a drop into column 2 from the
        // keyboard; hold2 the same with Enter held down until the box or dialog shows.
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("box");

        QTest::newRow("our winning drop's box") << "N M1 2 M1 2 M1 2 M5 hold2"
                                                << "Dropstone|Du hast gewonnen|0";
        QTest::newRow("the play-again dialog") << "N M1 2 M1 2 M1 hold2 M1"
                                               << "TForm5|Du hast verloren";
    }

    void heldEnter()
    {
        QFETCH(QString, script);
        auto form = makeForm(m_boxes, "Anna");
        RawPeer peer;
        QVERIFY(peer.connectTo(listenOnAnyPort(*form)));
        QTRY_COMPARE_WITH_TIMEOUT(form->ConnState, cnConnected, NetTimeout);
        m_boxes.seen.clear();
        bool stayedOpen = false;
        // The repeats reach the box; it must still be open after them.
        m_boxes.policy = [&](const QString &) {
            QWidget *modal = QApplication::activeModalWidget();
            for (int i = 0; i < 3; ++i)
                sendRepeat(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Return);
            stayedOpen = QApplication::activeModalWidget() == modal && modal->isVisible();
            return QString();
        };
        TPaintBox *board = form->PaintBox1();
        for (const QString &step : script.split(' ')) {
            if (step.startsWith('M') || step == "N") {
                const bool newGame = step == "N";
                peer.send(encoded({newGame ? packetOf(pkNewGame) : moveTo(step.mid(1).toInt())}));
                QTRY_VERIFY_WITH_TIMEOUT((form->GameState == gsTheirTurn) == newGame, NetTimeout);
                continue;
            }
            QTest::keyClick(board, Qt::Key_2);
            if (step == "2") {
                QTest::keyClick(board, Qt::Key_Return);
                continue;
            }
            QTest::keyPress(board, Qt::Key_Return);
            sendRepeat(board, Qt::Key_Return);
        }
        QFETCH(QString, box);
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.seen, QStringList{box}, NetTimeout);
        QVERIFY(stayedOpen);
        QTest::keyRelease(board, Qt::Key_Return);
        // One piece for each drop.
        QCOMPARE(form->Board.freeRow(2), int(script.count('2')) + 1);
        m_boxes.policy = nullptr;
    }

    void readable()
    {
        // Switched on once the accessibility bus has answered.
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
        const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);
        auto host = makeForm(m_boxes, "Anna");
        auto guest = makeForm(m_boxes, "Bert");
        QVERIFY(connectForms(*host, *guest));
        accessEvents.clear();

        // Bert plays column 4 from the keyboard; Anna answers in column 4, Bert plays 5.
        QTest::keyClick(guest->PaintBox1(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(host->GameState, gsMyTurn, NetTimeout);
        QTest::keyClick(host->PaintBox1(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(guest->GameState, gsMyTurn, NetTimeout);
        QTest::keyClick(guest->PaintBox1(), Qt::Key_5);
        QTest::keyClick(guest->PaintBox1(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(host->GameState, gsMyTurn, NetTimeout);

        QAccessibleInterface *board = QAccessible::queryAccessibleInterface(host->PaintBox1());
        QCOMPARE(board->role(), QAccessible::Table);
        QAccessibleTableInterface *table = board->tableInterface();
        // Whose turn it is and the chosen column; the news is spoken, not kept on the board.
        QCOMPARE(board->text(QAccessible::Name), "Spielbrett, Dein Zug, Spalte 4 gewählt");
        QCOMPARE(board->text(QAccessible::Description), QString());
        // The top row first, as on screen.
        QStringList names;
        for (const QPoint &at : {QPoint(3, 5), QPoint(3, 4), QPoint(4, 5), QPoint(0, 0)})
            names << table->cellAt(at.y(), at.x())->text(QAccessible::Name);
        QCOMPARE(
            names,
            QStringList({"Spalte 4, Zeile 1: Stein des Gegners", "Spalte 4, Zeile 2: dein Stein",
                         "Spalte 5, Zeile 1: Stein des Gegners", "Spalte 1, Zeile 6: leer"}));

        // What a screen reader hears of the last move, on the side that received it.
        QVERIFY2(accessEvents.contains("Spalte 5, Zeile 1: Stein des Gegners"),
                 qPrintable(accessEvents.join('\n')));
        QAccessible::installUpdateHandler(previous);
    }

    void winningLine()
    {
        auto form = makeForm(m_boxes, "Anna");
        for (int row = 1; row <= 4; ++row)
            form->Board.dropInto(2, cellTheirs);
        QVERIFY(form->CheckWin(cellTheirs));
        QAccessibleTableInterface *table =
            QAccessible::queryAccessibleInterface(form->PaintBox1())->tableInterface();
        QCOMPARE(table->cellAt(2, 1)->text(QAccessible::Name),
                 QString("Spalte 2, Zeile 4: Stein des Gegners, in der Viererreihe"));
    }
};

DROPSTONE_TEST_MAIN(tst_BoardKeys)
#include "tst_boardkeys.moc"

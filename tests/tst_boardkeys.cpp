// The board played with the keyboard and read as assistive technology reads it.
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

QColor pixel(TForm1 &form, int x, int y)
{
    return form.PaintBox1()->grab().toImage().pixelColor(x, y);
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

        const int mine = gsMyTurn;
        const QString empty = "0000000";
        QTest::newRow("arrows") << "Right Left Left Return" << mine << empty << 3 << QPoint(3, 1);
        // A click is the same move, and the keyboard goes on from the column clicked.
        QTest::newRow("click, then Left") << "click6 Left" << mine << empty << 5 << QPoint(6, 1);
        QTest::newRow("left stops at the edge")
            << "Home Left Down" << mine << empty << 1 << QPoint(1, 1);
        QTest::newRow("right stops at the edge")
            << "End Right Space" << mine << empty << 7 << QPoint(7, 1);
        QTest::newRow("digit, keypad Enter on a filled column")
            << "3 Num+Enter" << mine << "0020000" << 3 << QPoint(3, 3);
        QTest::newRow("no column 8, 9 or 0")
            << "8 9 0 Return" << mine << empty << 4 << QPoint(4, 1);
        QTest::newRow("full column") << "5 Return" << mine << "0000600" << 5 << QPoint();
        QTest::newRow("not this side's turn")
            << "2 Return" << int(gsTheirTurn) << empty << 2 << QPoint();
        QTest::newRow("no game") << "Return" << int(gsNoGame) << empty << 4 << QPoint();
    }

    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(int, gameState);
        QFETCH(QString, filled);
        QFETCH(QPoint, move);

        auto form = makeForm(m_boxes, "Anna");
        for (int column = 1; column <= TBoard::Columns; ++column) {
            for (int i = 0; i < filled[column - 1].digitValue(); ++i)
                form->Board.dropInto(column, i % 2 ? cellMine : cellTheirs);
        }
        form->GameState = gameState;
        for (const QString &key : keys.split(' ')) {
            const QKeyCombination pressed = QKeySequence::fromString(key)[0];
            if (key.startsWith("click"))
                clickCell(*form, key.mid(5).toInt(), 1);
            else
                QTest::keyClick(form->PaintBox1(), pressed.key(), pressed.keyboardModifiers());
        }
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

    void focus()
    {
        auto form = makeForm(m_boxes, "Anna");
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        const QColor board = pixel(*form, 1, 1);
        // Tab from the chat input reaches the board, and the board's Tab the input again.
        form->Memo1()->setFocus();
        QTest::keyClick(form->Memo1(), Qt::Key_Tab);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form->PaintBox1(), 5000);
        // A focus frame, and the chosen column's free cell ringed in the player's colour.
        const CellRect cell = BoardGeometry(398, 353).cellRect(4, 1);
        const int middle = (cell.top + cell.bottom) / 2;
        QCOMPARE(pixel(*form, 1, 1), QColor(Qt::white));
        QCOMPARE(pixel(*form, cell.left + 2, middle), form->PlayerColor);
        QTest::keyClick(form->PaintBox1(), Qt::Key_Tab);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form->Memo1(), 5000);
        // Without focus the board is as designed.
        QCOMPARE(pixel(*form, 1, 1), board);
        QVERIFY(pixel(*form, cell.left + 2, middle) != form->PlayerColor);
        // A click focuses the board too.
        QTest::mouseClick(form->PaintBox1(), Qt::LeftButton, {}, QPoint(200, 200));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form->PaintBox1(), 5000);
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
        // What a screen reader speaks of it: the notification that shows with each phrase.
        QTRY_COMPARE_WITH_TIMEOUT(host->Announcer1()->spoken(), "Bert setzt in Spalte 5, Zeile 1",
                                  5000);
        QAccessible::installUpdateHandler(previous);
    }

    void winningLineAndHistory()
    {
        auto form = makeForm(m_boxes, "Anna");
        for (int row = 1; row <= 4; ++row)
            form->Board.dropInto(2, cellTheirs);
        QVERIFY(form->CheckWin(cellTheirs));
        QAccessibleTableInterface *table =
            QAccessible::queryAccessibleInterface(form->PaintBox1())->tableInterface();
        QCOMPARE(table->cellAt(2, 1)->text(QAccessible::Name),
                 QString("Spalte 2, Zeile 4: Stein des Gegners, in der Viererreihe"));

        // Disabled for input, the history is still read, newest line first.
        form->AddHistoryLine("eins");
        form->AddHistoryLine("zwei");
        QAccessibleTextInterface *text =
            QAccessible::queryAccessibleInterface(form->Memo2())->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()).split('\n').mid(0, 2),
                 QStringList({"zwei", "eins"}));
    }
};

int main(int argc, char **argv)
{
    // Run on an accessibility bus with QT_LINUX_ACCESSIBILITY_ALWAYS_ON (with_a11y_bus.sh),
    // as with a screen reader running, so that the board sends its events.
    TApplication app(argc, argv);
    tst_BoardKeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_boardkeys.moc"

// The board played with the keyboard and read as assistive technology reads it.
#include "MatchSupport.h"

#include <QAccessible>

namespace {

// The events the board sends, as "event|name of the object"; the update handler takes a plain
// function, so the log cannot live in the test object.
QStringList accessEvents;

void recordEvent(QAccessibleEvent *event)
{
    QAccessibleInterface *object = event->accessibleInterface();
    if (event->type() == QAccessible::NameChanged || event->type() == QAccessible::Focus ||
        event->type() == QAccessible::DescriptionChanged)
        accessEvents << QString::number(event->type()) + '|' +
                            (event->type() == QAccessible::DescriptionChanged
                                 ? object->text(QAccessible::Description)
                                 : object->text(QAccessible::Name));
}

// The main window with its moves recorded on their way to the match flow.
class RecordingForm : public TForm1
{
public:
    QList<QPoint> moves;
    void PlayMove(int column, int row) override
    {
        moves << QPoint(column, row);
        TForm1::PlayMove(column, row);
    }
};

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
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QPoint>("move"); // the cell played, or none

        const int mine = gsMyTurn;
        const QString empty = "0000000";
        QTest::newRow("right twice, Enter")
            << "Right Right Return" << mine << empty << 6 << QPoint(6, 1);
        QTest::newRow("left stops at the edge")
            << "Left Left Left Left Left" << mine << empty << 1 << QPoint();
        QTest::newRow("right stops at the edge")
            << "End Right Space" << mine << empty << 7 << QPoint(7, 1);
        QTest::newRow("Home, Down") << "Home Down" << mine << empty << 1 << QPoint(1, 1);
        QTest::newRow("digit, keypad Enter on a filled column")
            << "3 Enter" << mine << "0020000" << 3 << QPoint(3, 3);
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
        QFETCH(int, chosen);
        QFETCH(QPoint, move);

        m_boxes.name = "Anna";
        RecordingForm form;
        form.show();
        for (int column = 1; column <= 7; ++column)
            for (int i = 0; i < filled[column - 1].digitValue(); ++i)
                form.Board.dropInto(column, i % 2 ? cellMine : cellTheirs);
        form.GameState = gameState;
        const std::map<QString, Qt::Key> named = {
            {"Left", Qt::Key_Left},   {"Right", Qt::Key_Right},   {"Home", Qt::Key_Home},
            {"End", Qt::Key_End},     {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter},
            {"Space", Qt::Key_Space}, {"Down", Qt::Key_Down}};
        for (const QString &key : keys.split(' ')) {
            const auto it = named.find(key);
            if (it != named.end())
                QTest::keyClick(form.PaintBox1(), it->second,
                                key == "Enter" ? Qt::KeypadModifier : Qt::NoModifier);
            else
                QTest::keyClick(form.PaintBox1(), key[0].toLatin1());
        }
        QCOMPARE(form.ChosenColumn, chosen);
        int mine = 0;
        for (int column = 1; column <= 7; ++column)
            for (int row = 1; row <= 6; ++row)
                mine += form.Board.cell(column, row) == cellMine;
        int before = 0;
        for (const QChar digit : filled)
            before += digit.digitValue() / 2;
        QCOMPARE(mine, before + !move.isNull());
        if (!move.isNull()) {
            QCOMPARE(form.Board.cell(move.x(), move.y()), cellMine);
            QCOMPARE(form.moves, QList<QPoint>{move});
            QCOMPARE(form.GameState, gsTheirTurn);
        }
    }

    void sameAsClick()
    {
        // A click on the column's lowest free cell is the same move, and the keyboard goes on
        // from the column clicked.
        m_boxes.name = "Anna";
        RecordingForm form;
        form.show();
        form.GameState = gsMyTurn;
        clickCell(form, 2, 1);
        form.GameState = gsMyTurn;
        QTest::keyClick(form.PaintBox1(), Qt::Key_Return);
        QCOMPARE(form.moves, QList<QPoint>({QPoint(2, 1), QPoint(2, 2)}));
        QCOMPARE(form.Board.cell(2, 2), cellMine);
    }

    void focus()
    {
        m_boxes.name = "Anna";
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QColor board = pixel(form, 1, 1);
        form.Memo1()->setFocus();
        // Tab from the chat input reaches the board, and the board's Tab the input again.
        QTest::keyClick(form.Memo1(), Qt::Key_Tab);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.PaintBox1(), 5000);
        // A focus frame, and the chosen column's free cell ringed in the player's colour.
        const CellRect cell = BoardGeometry(398, 353).cellRect(4, 1);
        const int middle = (cell.top + cell.bottom) / 2;
        QCOMPARE(pixel(form, 1, 1), QColor(Qt::white));
        QCOMPARE(pixel(form, cell.left + 2, middle), form.PlayerColor);
        QTest::keyClick(form.PaintBox1(), Qt::Key_Tab);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.Memo1(), 5000);
        // Without focus the board is as designed.
        QCOMPARE(pixel(form, 1, 1), board);
        QVERIFY(pixel(form, cell.left + 2, middle) != form.PlayerColor);
        // A click focuses the board too.
        QTest::mouseClick(form.PaintBox1(), Qt::LeftButton, {}, QPoint(200, 200));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.PaintBox1(), 5000);
    }

    void readable()
    {
        // Switched on once the accessibility bus has answered.
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
        const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);
        m_boxes.name = "Anna";
        auto host = makeForm(m_boxes, "Anna");
        auto guest = makeForm(m_boxes, "Bert");
        QVERIFY(connectForms(*host, *guest));
        accessEvents.clear();

        // Bert plays column 4 from the keyboard; Anna answers in column 4 and then 5.
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
        QCOMPARE(table->rowCount(), 6);
        QCOMPARE(table->columnCount(), 7);
        QCOMPARE(board->text(QAccessible::Name), QString("Spielbrett, Dein Zug, Spalte 4 gewählt"));
        QCOMPARE(board->text(QAccessible::Description), QString("Bert setzt in Spalte 5, Zeile 1"));
        // The top row first, as on screen.
        const QList<QPoint> cells = {{3, 5}, {3, 4}, {4, 5}, {0, 0}, {3, 3}}; // column, row
        QStringList names;
        for (const QPoint &at : cells) {
            QAccessibleInterface *cell = table->cellAt(at.y(), at.x());
            QCOMPARE(cell->role(), QAccessible::Cell);
            names << cell->text(QAccessible::Name);
        }
        QCOMPARE(names, QStringList({"Spalte 4, Zeile 1: Stein des Gegners",
                                     "Spalte 4, Zeile 2: dein Stein",
                                     "Spalte 5, Zeile 1: Stein des Gegners",
                                     "Spalte 1, Zeile 6: leer", "Spalte 4, Zeile 3: leer"}));
        const CellRect cell = BoardGeometry(398, 353).cellRect(4, 1);
        QCOMPARE(
            table->cellAt(5, 3)->rect(),
            QRect(host->PaintBox1()->mapToGlobal(QPoint(cell.left, cell.top)),
                  QPoint(host->PaintBox1()->mapToGlobal(QPoint(cell.right - 1, cell.bottom - 1)))));

        // What a screen reader hears of the last move, on the side that received it.
        QVERIFY2(accessEvents.contains(QString::number(QAccessible::NameChanged) +
                                       "|Spalte 5, Zeile 1: Stein des Gegners"),
                 qPrintable(accessEvents.join('\n')));
        QVERIFY(accessEvents.contains(QString::number(QAccessible::DescriptionChanged) +
                                      "|Bert setzt in Spalte 5, Zeile 1"));
        QAccessible::installUpdateHandler(previous);
    }

    void winningLine()
    {
        m_boxes.name = "Anna";
        TForm1 form;
        form.show();
        for (int row = 1; row <= 4; ++row)
            form.Board.dropInto(2, cellTheirs);
        QVERIFY(form.CheckWin(cellTheirs));
        QAccessibleTableInterface *table =
            QAccessible::queryAccessibleInterface(form.PaintBox1())->tableInterface();
        QCOMPARE(table->cellAt(2, 1)->text(QAccessible::Name),
                 QString("Spalte 2, Zeile 4: Stein des Gegners, in der Viererreihe"));
        form.ClearBoard();
        QCOMPARE(table->cellAt(2, 1)->text(QAccessible::Name), QString("Spalte 2, Zeile 4: leer"));
    }

    void chatHistory()
    {
        // Disabled for input, the history is still read, newest line first.
        m_boxes.name = "Anna";
        TForm1 form;
        form.show();
        form.AddHistoryLine("eins");
        form.AddHistoryLine("zwei");
        QAccessibleInterface *history = QAccessible::queryAccessibleInterface(form.Memo2());
        QCOMPARE(history->text(QAccessible::Name), QString("Chatverlauf"));
        QAccessibleTextInterface *text = history->textInterface();
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

#include "game/Board.h"

#include <QTest>

#include <climits>

namespace {

// A board written column by column, as it is stored: seven words, each listing its column's
// pieces from row 1 upwards ('x' mine, 'o' theirs), '-' for an empty column.
TBoard boardFrom(const QString &columns)
{
    TBoard board;
    const QStringList words = columns.split(u' ');
    for (int column = 1; column <= words.size(); ++column) {
        for (QChar piece : words.at(column - 1)) {
            if (piece != u'-')
                board.dropInto(column, piece == u'x' ? cellMine : cellTheirs);
        }
    }
    return board;
}

QString columnsOf(const TBoard &board)
{
    QStringList words;
    for (int column = 1; column <= TBoard::Columns; ++column) {
        QString word;
        for (int row = 1; row <= TBoard::Rows; ++row) {
            const std::int32_t value = board.cell(column, row);
            if (value != cellEmpty)
                word += value == cellMine ? u'x' : u'o';
        }
        words << (word.isEmpty() ? QStringLiteral("-") : word);
    }
    return words.join(u' ');
}

const QString somePieces = QStringLiteral("xo x oxoxox - - - o");

} // namespace

class BoardTest : public QObject
{
    Q_OBJECT

private slots:
    void scanWins_data();
    void scanWins();
    void acceptsDropAt_data();
    void acceptsDropAt();
    void dropInto_data();
    void dropInto();
};

void BoardTest::scanWins_data()
{
    QTest::addColumn<QString>("columns");
    QTest::addColumn<int>("player");
    QTest::addColumn<QString>("lines");

    QTest::newRow("five in a row") << "x x x x x - -" << cellMine << "1,1-4,1 2,1-5,1";
    QTest::newRow("full row") << "x x x x x x x" << cellMine << "1,1-4,1 2,1-5,1 3,1-6,1 4,1-7,1";
    QTest::newRow("start column before start row")
        << "ox xx xx xx x - -" << cellMine << "1,2-4,2 2,1-5,1";
    QTest::newRow("vertical before diagonal")
        << "x ox oox xxxx - - -" << cellMine << "4,1-4,4 1,1-4,4";
    QTest::newRow("rising before falling")
        << "xoox oxx oxx xoox - - -" << cellMine << "1,1-4,4 1,4-4,1";
    QTest::newRow("falling from 1,4") << "ooox oox ox x - - -" << cellMine << "1,4-4,1";
    QTest::newRow("vertical in rows 3 to 6") << "ooxxxx - - - - - -" << cellMine << "1,3-1,6";
    QTest::newRow("opponent's line, asked for mine") << "o o o o - - -" << cellMine << "";
    QTest::newRow("opponent's line") << "o o o o - - -" << cellTheirs << "1,1-4,1";
    QTest::newRow("empty cells are no line") << "- - - - - - -" << cellEmpty << "";
    const QString drawn = QStringLiteral("xxooxx xxooxx xxooxx ooxxoo xxooxx xxooxx xxooxx");
    QTest::newRow("full board") << drawn << cellMine << "";
}

void BoardTest::scanWins()
{
    QFETCH(QString, columns);
    QFETCH(int, player);
    QFETCH(QString, lines);

    const TBoard board = boardFrom(columns);
    QStringList found;
    const bool won = board.scanWins(player, [&](int c1, int r1, int c2, int r2) {
        found << QStringLiteral("%1,%2-%3,%4").arg(c1).arg(r1).arg(c2).arg(r2);
    });
    QCOMPARE(found.join(u' '), lines);
    QCOMPARE(won, !lines.isEmpty());
}

void BoardTest::acceptsDropAt_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("on a piece") << 1 << 3 << true;
    QTest::newRow("free cell higher up") << 1 << 4 << false;
    QTest::newRow("occupied") << 1 << 2 << false;
    QTest::newRow("empty column, row 1") << 4 << 1 << true;
    QTest::newRow("full column") << 3 << 6 << false;
    QTest::newRow("above the board") << 3 << 7 << false;
    QTest::newRow("row 0") << 4 << 0 << false;
    QTest::newRow("column 8") << 8 << 1 << false;
    QTest::newRow("INT_MIN") << INT_MIN << INT_MIN << false;
}

void BoardTest::acceptsDropAt()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, accepted);

    TBoard board = boardFrom(somePieces);
    QCOMPARE(board.acceptsDropAt(column, row), accepted);
    QCOMPARE(board.dropAt(column, row, cellTheirs), accepted);
    if (accepted)
        QCOMPARE(board.cell(column, row), cellTheirs);
    else
        QCOMPARE(columnsOf(board), somePieces);
}

void BoardTest::dropInto_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("player");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("after");

    QTest::newRow("on two pieces") << 1 << cellMine << 3 << "xox x oxoxox - - - o";
    QTest::newRow("empty column") << 4 << cellTheirs << 1 << "xo x oxoxox o - - o";
    QTest::newRow("full column") << 3 << cellMine << 0 << somePieces;
    QTest::newRow("column 8") << 8 << cellMine << 0 << somePieces;
    QTest::newRow("INT_MIN") << INT_MIN << cellMine << 0 << somePieces;
    QTest::newRow("not a piece") << 4 << 7 << 0 << somePieces;
}

void BoardTest::dropInto()
{
    QFETCH(int, column);
    QFETCH(int, player);
    QFETCH(int, row);
    QFETCH(QString, after);

    TBoard board = boardFrom(somePieces);
    QCOMPARE(board.dropInto(column, player), row);
    QCOMPARE(columnsOf(board), after);
}

QTEST_APPLESS_MAIN(BoardTest)
#include "tst_board.moc"

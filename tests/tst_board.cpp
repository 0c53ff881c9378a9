#include "game/Board.h"

#include <QTest>

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

const QString somePieces = QStringLiteral("xo x oxoxox - - - o");

} // namespace

class BoardTest : public QObject
{
    Q_OBJECT

private slots:
    void scanWins_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("lines"); // those of the player whose pieces are 'x'

        const auto row = [](const char *name, const char *columns, const char *lines) {
            QTest::newRow(name) << QString(columns) << QString(lines);
        };
        row("five in a row", "x x x x x - -", "1,1-4,1 2,1-5,1");
        row("full row", "x x x x x x x", "1,1-4,1 2,1-5,1 3,1-6,1 4,1-7,1");
        row("column, then row", "ox xx xx xx x - -", "1,2-4,2 2,1-5,1");
        row("vertical first", "x ox oox xxxx - - -", "4,1-4,4 1,1-4,4");
        row("rising first", "xoox oxx oxx xoox - - -", "1,1-4,4 1,4-4,1");
        row("falling from 1,4", "ooox oox ox x - - -", "1,4-4,1");
        row("opponent's line", "o o o o - - -", "");
        row("draw", "xxooxx xxooxx xxooxx ooxxoo xxooxx xxooxx xxooxx", "");
    }

    void scanWins()
    {
        QFETCH(QString, columns);
        QFETCH(QString, lines);

        QStringList found;
        const TBoard board = boardFrom(columns);
        const bool won = board.scanWins(cellMine, [&](int c1, int r1, int c2, int r2) {
            found << QStringLiteral("%1,%2-%3,%4").arg(c1).arg(r1).arg(c2).arg(r2);
        });
        QCOMPARE(found.join(u' '), lines);
        QCOMPARE(won, !lines.isEmpty());
    }

    void drops_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");    // the cell named by a local drop; 0 for a remote drop
        QTest::addColumn<int>("placed"); // the row that takes the piece, 0 for none

        QTest::newRow("local: on a piece") << 1 << 3 << 3;
        QTest::newRow("local: free cell higher up") << 1 << 4 << 0;
        QTest::newRow("local: occupied") << 1 << 2 << 0;
        QTest::newRow("local: empty column, row 1") << 4 << 1 << 1;
        QTest::newRow("local: above a full column") << 3 << 7 << 0;
        QTest::newRow("local: column 8") << 8 << 1 << 0;
        QTest::newRow("remote: on two pieces") << 1 << 0 << 3;
        QTest::newRow("remote: full column") << 3 << 0 << 0;
        QTest::newRow("remote: column 8") << 8 << 0 << 0;
    }

    void drops()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(int, placed);

        // My drops name a cell, the opponent's only a column.
        const int player = row == 0 ? cellTheirs : cellMine;
        TBoard board = boardFrom(somePieces);
        if (row == 0) {
            QCOMPARE(board.dropInto(column, player), placed);
        } else {
            QCOMPARE(board.acceptsDropAt(column, row), placed != 0);
            QCOMPARE(board.dropAt(column, row, player), placed != 0);
        }
        // The piece, if any, and nothing else changed.
        const TBoard old = boardFrom(somePieces);
        for (int c = 1; c <= TBoard::Columns; ++c) {
            for (int r = 1; r <= TBoard::Rows; ++r)
                QCOMPARE(board.cell(c, r), c == column && r == placed ? player : old.cell(c, r));
        }
    }
};

QTEST_APPLESS_MAIN(BoardTest)
#include "tst_board.moc"

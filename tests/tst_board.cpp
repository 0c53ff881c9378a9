// The board's rules and where its cells lie on the drawing surface.
#include "game/Board.h"
#include "game/BoardGeometry.h"

#include <QPoint>
#include <QSize>
#include <QTest>

class BoardTest : public QObject
{
    Q_OBJECT

    // Seven words, one per column, each listing its pieces from row 1 up: 'x' mine, 'o' theirs,
    // '-' for none.
    static TBoard boardFrom(const QString &columns)
    {
        TBoard board;
        for (int column = 1; const QString &pieces : columns.split(u' ')) {
            for (QChar piece : pieces)
                board.dropInto(column, piece == u'x' ? cellMine : piece == u'o' ? cellTheirs : 0);
            ++column;
        }
        return board;
    }

private slots:
    void scanWins_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("lines");  // those of the player whose pieces are 'x'
        QTest::addColumn<QString>("inLine"); // per column the rows in a line, of either player

        const auto row = [](const char *name, const char *columns, const char *lines,
                            const char *inLine) {
            QTest::newRow(name) << QString(columns) << QString(lines) << QString(inLine);
        };
        row("overlapping", "x x x x x x x", "1,1-4,1 2,1-5,1 3,1-6,1 4,1-7,1", "1 1 1 1 1 1 1");
        row("column, then row", "ox xx xx xx x - -", "1,2-4,2 2,1-5,1", "2 12 12 12 1 - -");
        row("vertical first", "x ox oox xxxx - - -", "4,1-4,4 1,1-4,4", "1 2 3 1234 - - -");
        row("rising first", "xoox oxx oxx xoox - - -", "1,1-4,4 1,4-4,1", "14 23 23 14 - - -");
        row("falling from 1,4", "ooox oox ox x - - -", "1,4-4,1", "4 3 2 1 - - -");
        row("opponent's line", "o o o o - - -", "", "1 1 1 1 - - -");
        row("draw", "xxooxx xxooxx xxooxx ooxxoo xxooxx xxooxx xxooxx", "", "- - - - - - -");
    }

    void scanWins()
    {
        QFETCH(QString, columns);
        QFETCH(QString, lines);

        QStringList found, inLine;
        const TBoard board = boardFrom(columns);
        const bool won = board.scanWins(cellMine, [&](int c1, int r1, int c2, int r2) {
            found << QStringLiteral("%1,%2-%3,%4").arg(c1).arg(r1).arg(c2).arg(r2);
        });
        QCOMPARE(found.join(u' '), lines);
        QCOMPARE(won, !lines.isEmpty());
        for (int column = 1; column <= TBoard::Columns; ++column) {
            QString rows;
            for (int row = 1; row <= TBoard::Rows; ++row)
                rows += board.inLine(column, row) ? QString::number(row) : QString();
            inLine << (rows.isEmpty() ? QString("-") : rows);
        }
        QTEST(inLine.join(u' '), "inLine");
    }

    void drops_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");    // the cell named by a local drop; 0 for a remote drop
        QTest::addColumn<int>("placed"); // the row that takes the piece, 0 for none

        // On the board "xo x oxoxox - - - o".
        QTest::newRow("local: on a piece") << 1 << 3 << 3;
        QTest::newRow("local: free cell higher up") << 1 << 4 << 0;
        QTest::newRow("local: occupied") << 1 << 2 << 0;
        QTest::newRow("local: empty column, row 1") << 4 << 1 << 1;
        QTest::newRow("remote: on two pieces") << 1 << 0 << 3;
        QTest::newRow("remote: full column") << 3 << 0 << 0;
    }

    void drops()
    {
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(int, placed);

        // My drops name a cell, the opponent's only a column.
        const int player = row == 0 ? cellTheirs : cellMine;
        const TBoard old = boardFrom("xo x oxoxox - - - o");
        TBoard board = old;
        if (row == 0) {
            QCOMPARE(board.dropInto(column, player), placed);
        } else {
            QCOMPARE(board.acceptsDropAt(column, row), placed != 0);
            QCOMPARE(board.dropAt(column, row, player), placed != 0);
        }
        // The piece, if any, and nothing else changed.
        for (int c = 1; c <= TBoard::Columns; ++c) {
            for (int r = 1; r <= TBoard::Rows; ++r)
                QCOMPARE(board.cell(c, r), c == column && r == placed ? player : old.cell(c, r));
        }
    }

    void geometry_data()
    {
        QTest::addColumn<QSize>("surface");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        // The cell's rectangle (left,top right,bottom), which shows w and h, then its line point.
        QTest::addColumn<QString>("layout");

        const QSize stored(398, 353);
        QTest::newRow("cell 1,6") << stored << 1 << 6 << "5,5 56,58 33,34";
        QTest::newRow("cell 7,1") << stored << 7 << 1 << "341,295 392,348 369,324";
        // An exact half rounds to the even neighbour, for the cells and for the line points.
        QTest::newRow("h 58.5") << QSize(398, 356) << 1 << 1 << "5,295 56,348 33,324";
        QTest::newRow("h 59.5") << QSize(398, 362) << 1 << 1 << "5,305 56,360 33,335";
        QTest::newRow("x 90.5") << QSize(404, 353) << 2 << 1 << "62,295 114,348 90,324";
    }

    void geometry()
    {
        QFETCH(QSize, surface);
        QFETCH(int, column);
        QFETCH(int, row);

        const BoardGeometry geometry(surface.width(), surface.height());
        const CellRect r = geometry.cellRect(column, row);
        const PixelPoint p = geometry.linePoint(column, row);
        QTEST(QString::asprintf("%d,%d %d,%d %d,%d", r.left, r.top, r.right, r.bottom, p.x, p.y),
              "layout");

        // Hits from the first pixel to the last; right and bottom edges lie in the bands.
        const auto hit = [&](int x, int y) {
            const std::optional<CellPosition> cell = geometry.hitTest(x, y);
            return cell ? QPoint(cell->column, cell->row) : QPoint();
        };
        QCOMPARE(hit(r.left, r.top), QPoint(column, row));
        QCOMPARE(hit(r.right - 1, r.bottom - 1), QPoint(column, row));
        QCOMPARE(hit(r.right, r.top), QPoint());
        QCOMPARE(hit(r.left, r.bottom), QPoint());
        QCOMPARE(hit(r.left - 1, r.top), QPoint());
    }
};

QTEST_APPLESS_MAIN(BoardTest)
#include "tst_board.moc"

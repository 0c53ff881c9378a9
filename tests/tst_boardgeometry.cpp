#include "game/BoardGeometry.h"

#include <QSize>
#include <QTest>

class BoardGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<QSize>("surface");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        // The cell's rectangle (left,top right,bottom), which shows w and h, then its line point.
        QTest::addColumn<QString>("layout");

        const QSize stored(398, 353);
        QTest::newRow("cell 1,6") << stored << 1 << 6 << "5,5 56,58 33,34";
        QTest::newRow("cell 7,1") << stored << 7 << 1 << "341,295 392,348 369,324";
        // An exact half rounds to the even neighbour.
        QTest::newRow("H - 5 = 351: h 58") << QSize(398, 356) << 1 << 1 << "5,295 56,348 33,324";
        QTest::newRow("H - 5 = 357: h 60") << QSize(398, 362) << 1 << 1 << "5,305 56,360 33,335";
        QTest::newRow("w 57, column 1") << QSize(404, 353) << 1 << 1 << "5,295 57,348 34,324";
        QTest::newRow("w 57, column 2") << QSize(404, 353) << 2 << 1 << "62,295 114,348 90,324";
    }

    void layout()
    {
        QFETCH(QSize, surface);
        QFETCH(int, column);
        QFETCH(int, row);

        const BoardGeometry geometry(surface.width(), surface.height());
        const CellRect r = geometry.cellRect(column, row);
        const PixelPoint p = geometry.linePoint(column, row);
        QTEST(QString::asprintf("%d,%d %d,%d %d,%d", r.left, r.top, r.right, r.bottom, p.x, p.y),
              "layout");
    }

    void hitTest_data()
    {
        QTest::addColumn<QSize>("surface");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("cell"); // empty for none

        const QSize stored(398, 353);
        QTest::newRow("first pixel") << stored << 5 << 5 << "1,6";
        QTest::newRow("right edge of column 1") << stored << 56 << 5 << "";
        QTest::newRow("band") << stored << 60 << 30 << "";
        QTest::newRow("last cell") << stored << 391 << 347 << "7,1";
        // Cells 5 pixels wide or high are empty: not even their first pixel hits.
        QTest::newRow("w 5") << QSize(43, 353) << 5 << 300 << "";
        QTest::newRow("h 5") << QSize(398, 37) << 5 << 5 << "";
    }

    void hitTest()
    {
        QFETCH(QSize, surface);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, cell);

        const BoardGeometry geometry(surface.width(), surface.height());
        const std::optional<CellPosition> hit = geometry.hitTest(x, y);
        QCOMPARE(hit ? QString::asprintf("%d,%d", hit->column, hit->row) : QString(), cell);
    }
};

QTEST_APPLESS_MAIN(BoardGeometryTest)
#include "tst_boardgeometry.moc"

#include "game/BoardGeometry.h"
#include "game/RoundHalfEven.h"

#include <QSize>
#include <QTest>

#include <climits>
#include <limits>

class BoardGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void roundHalfEven();
    void layout_data();
    void layout();
    void hitTest_data();
    void hitTest();
    void tooSmallToHit_data();
    void tooSmallToHit();
};

void BoardGeometryTest::roundHalfEven()
{
    QCOMPARE(::roundHalfEven(-2.5), -2);
    QCOMPARE(::roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
    QCOMPARE(::roundHalfEven(1e300), INT_MAX);
}

void BoardGeometryTest::layout_data()
{
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    // The cell's rectangle (left,top right,bottom), which shows w and h, then its line point.
    QTest::addColumn<QString>("layout");

    const QSize stored(398, 353);
    QTest::newRow("cell 1,6") << stored << 1 << 6 << "5,5 56,58 33,34";
    QTest::newRow("cell 7,1") << stored << 7 << 1 << "341,295 392,348 369,324";
    QTest::newRow("line end in row 1") << stored << 4 << 1 << "173,295 224,348 201,324";
    QTest::newRow("line end in column 1") << stored << 1 << 4 << "5,121 56,174 33,150";
    QTest::newRow("H - 5 = 351: h 58") << QSize(398, 356) << 1 << 1 << "5,295 56,348 33,324";
    QTest::newRow("H - 5 = 357: h 60") << QSize(398, 362) << 1 << 1 << "5,305 56,360 33,335";
    QTest::newRow("w 57, column 1") << QSize(404, 353) << 1 << 1 << "5,295 57,348 34,324";
    QTest::newRow("w 57, column 2") << QSize(404, 353) << 2 << 1 << "62,295 114,348 90,324";
    QTest::newRow("beyond any widget")
        << QSize(INT_MAX, INT_MIN) << 7 << 1 << "14380469,0 16777208,-6 15578841,0";
}

void BoardGeometryTest::layout()
{
    QFETCH(QSize, surface);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, layout);

    const BoardGeometry geometry(surface.width(), surface.height());
    const CellRect r = geometry.cellRect(column, row);
    const PixelPoint p = geometry.linePoint(column, row);
    QCOMPARE(QString::asprintf("%d,%d %d,%d %d,%d", r.left, r.top, r.right, r.bottom, p.x, p.y),
             layout);
}

void BoardGeometryTest::hitTest_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("cell"); // empty for none

    QTest::newRow("first pixel") << 5 << 5 << "1,6";
    QTest::newRow("right edge of column 1") << 56 << 5 << "";
    QTest::newRow("band") << 60 << 30 << "";
    QTest::newRow("last cell") << 391 << 347 << "7,1";
}

void BoardGeometryTest::hitTest()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, cell);

    const std::optional<CellPosition> hit = BoardGeometry(398, 353).hitTest(x, y);
    QCOMPARE(hit ? QString::asprintf("%d,%d", hit->column, hit->row) : QString(), cell);
}

void BoardGeometryTest::tooSmallToHit_data()
{
    QTest::addColumn<QSize>("surface");

    QTest::newRow("w 5") << QSize(43, 353);
    QTest::newRow("h 5") << QSize(398, 37);
}

void BoardGeometryTest::tooSmallToHit()
{
    QFETCH(QSize, surface);

    const BoardGeometry geometry(surface.width(), surface.height());
    QVERIFY(geometry.columnWidth() <= 5 || geometry.rowHeight() <= 5);
    for (int x = -1; x <= surface.width(); ++x) {
        for (int y = -1; y <= surface.height(); ++y)
            QCOMPARE(geometry.hitTest(x, y).has_value(), false);
    }
}

QTEST_APPLESS_MAIN(BoardGeometryTest)
#include "tst_boardgeometry.moc"

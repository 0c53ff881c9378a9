#include "game/BoardGeometry.h"
#include "game/RoundHalfEven.h"

#include <QSize>
#include <QTest>

#include <climits>
#include <limits>

namespace {

QString text(const CellRect &rect)
{
    return QStringLiteral("%1,%2 %3,%4")
        .arg(rect.left)
        .arg(rect.top)
        .arg(rect.right)
        .arg(rect.bottom);
}

QString text(const PixelPoint &point)
{
    return QStringLiteral("%1,%2").arg(point.x).arg(point.y);
}

QString text(const std::optional<CellPosition> &cell)
{
    if (!cell)
        return QStringLiteral("none");
    return QStringLiteral("%1,%2").arg(cell->column).arg(cell->row);
}

} // namespace

class BoardGeometryTest : public QObject
{
    Q_OBJECT

private slots:
    void roundHalfEven_data();
    void roundHalfEven();
    void layout_data();
    void layout();
    void hitTest_data();
    void hitTest();
    void tooSmallToHit_data();
    void tooSmallToHit();
};

void BoardGeometryTest::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("rounded");

    QTest::newRow("negative half") << -2.5 << -2;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("too large") << 1e300 << INT_MAX;
}

void BoardGeometryTest::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(int, rounded);

    QCOMPARE(::roundHalfEven(value), rounded);
}

void BoardGeometryTest::layout_data()
{
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QSize>("cellSize"); // w, h
    QTest::addColumn<QString>("rect");
    QTest::addColumn<QString>("linePoint");

    const QSize stored(398, 353);
    const QSize w56h58(56, 58);
    QTest::newRow("top left") << stored << 1 << 6 << w56h58 << "5,5 56,58"
                              << "33,34";
    QTest::newRow("bottom left") << stored << 1 << 1 << w56h58 << "5,295 56,348"
                                 << "33,324";
    QTest::newRow("bottom right") << stored << 7 << 1 << w56h58 << "341,295 392,348"
                                  << "369,324";
    QTest::newRow("end of a line in row 1") << stored << 4 << 1 << w56h58 << "173,295 224,348"
                                            << "201,324";
    QTest::newRow("end of a line in column 1") << stored << 1 << 4 << w56h58 << "5,121 56,174"
                                               << "33,150";
    QTest::newRow("H - 5 = 351: h 58") << QSize(398, 356) << 1 << 1 << w56h58 << "5,295 56,348"
                                       << "33,324";
    QTest::newRow("H - 5 = 357: h 60")
        << QSize(398, 362) << 1 << 1 << QSize(56, 60) << "5,305 56,360"
        << "33,335";
    QTest::newRow("w 57, column 1") << QSize(404, 353) << 1 << 1 << QSize(57, 58) << "5,295 57,348"
                                    << "34,324";
    QTest::newRow("w 57, column 2")
        << QSize(404, 353) << 2 << 1 << QSize(57, 58) << "62,295 114,348"
        << "90,324";
    QTest::newRow("outside the board") << stored << INT_MIN << INT_MIN << w56h58 << "0,0 0,0"
                                       << "0,0";
    QTest::newRow("beyond any widget")
        << QSize(INT_MAX, INT_MIN) << 7 << 1 << QSize(2396744, -1) << "14380469,0 16777208,-6"
        << "15578841,0";
}

void BoardGeometryTest::layout()
{
    QFETCH(QSize, surface);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QSize, cellSize);
    QFETCH(QString, rect);
    QFETCH(QString, linePoint);

    const BoardGeometry geometry(surface.width(), surface.height());
    QCOMPARE(QSize(geometry.columnWidth(), geometry.rowHeight()), cellSize);
    QCOMPARE(text(geometry.cellRect(column, row)), rect);
    QCOMPARE(text(geometry.linePoint(column, row)), linePoint);
}

void BoardGeometryTest::hitTest_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("cell");

    QTest::newRow("first pixel") << 5 << 5 << "1,6";
    QTest::newRow("right edge of column 1") << 56 << 5 << "none";
    QTest::newRow("band") << 60 << 30 << "none";
    QTest::newRow("left edge of column 2") << 61 << 5 << "2,6";
    QTest::newRow("bottom edge of row 6") << 5 << 58 << "none";
    QTest::newRow("top edge of row 5") << 5 << 63 << "1,5";
    QTest::newRow("last cell") << 391 << 347 << "7,1";
    QTest::newRow("right of the cells") << 392 << 300 << "none";
    QTest::newRow("below the cells") << 391 << 348 << "none";
    QTest::newRow("INT_MIN") << INT_MIN << INT_MIN << "none";
}

void BoardGeometryTest::hitTest()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, cell);

    QCOMPARE(text(BoardGeometry(398, 353).hitTest(x, y)), cell);
}

void BoardGeometryTest::tooSmallToHit_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("w 5") << 43 << 353;
    QTest::newRow("h 5") << 398 << 37;
    QTest::newRow("empty") << 0 << 0;
}

void BoardGeometryTest::tooSmallToHit()
{
    QFETCH(int, width);
    QFETCH(int, height);

    const BoardGeometry geometry(width, height);
    QVERIFY(geometry.columnWidth() <= 5 || geometry.rowHeight() <= 5);
    for (int x = -1; x <= width; ++x) {
        for (int y = -1; y <= height; ++y)
            QCOMPARE(text(geometry.hitTest(x, y)), QStringLiteral("none"));
    }
}

QTEST_APPLESS_MAIN(BoardGeometryTest)
#include "tst_boardgeometry.moc"

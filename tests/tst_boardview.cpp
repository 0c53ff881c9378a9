// The board as the main window draws it, its winning lines and the clicks on it, checked
// pixel by pixel on the real surface.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "platform/PaintBox.h"

#include <QImage>
#include <QLine>

#include <memory>

namespace {

const QSize storedSize(398, 353);

// The main window with its moves recorded instead of played.
class RecordingForm : public TForm1
{
public:
    QList<QPoint> moves;
    void PlayMove(int column, int row) override { moves << QPoint(column, row); }
};

} // namespace

class tst_BoardView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        m_form = std::make_unique<RecordingForm>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QCOMPARE(surface()->size(), storedSize);
    }

    void cleanupTestCase() { m_form.reset(); }

    void painting_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<Qt::GlobalColor>("colour");

        // Column 1 holds mine in row 1 and theirs in row 2; cell (1,1) is x 5-55, y 295-347.
        QTest::newRow("cell corner outside the ellipse") << QPoint(5, 295) << Qt::blue;
        QTest::newRow("below the last row") << QPoint(30, 350) << Qt::blue;
        QTest::newRow("empty cell") << QPoint(366, 31) << Qt::white;
        QTest::newRow("own piece") << QPoint(30, 321) << Qt::yellow;
        QTest::newRow("opponent's piece") << QPoint(30, 263) << Qt::red;
        QTest::newRow("outline, left edge") << QPoint(5, 321) << Qt::black;
        QTest::newRow("outline, last pixel before the right edge") << QPoint(55, 321) << Qt::black;
        QTest::newRow("right edge is exclusive") << QPoint(56, 321) << Qt::blue;
        // h > w: a circle would stop short of the bottom edge.
        QTest::newRow("outline, last pixel above the bottom edge") << QPoint(30, 347) << Qt::black;
    }

    void painting()
    {
        QFETCH(QPoint, point);
        QFETCH(Qt::GlobalColor, colour);

        placePieces(QStringLiteral("xo"));
        QCOMPARE(QColor(grab().pixel(point)), QColor(colour));
    }

    void winLines_data()
    {
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QList<QLine>>("lines"); // each horizontal or vertical
        // Done once the lines are drawn, and the colour it leaves on the last line.
        QTest::addColumn<QString>("then");
        QTest::addColumn<Qt::GlobalColor>("colour");

        const QLine row1(33, 324, 201, 324);
        QTest::newRow("along row 1, then an immediate repaint")
            << "x x x x" << QList{row1} << "repaint" << Qt::yellow;
        QTest::newRow("five in a row, then a resize")
            << "x x x x x" << QList{row1, QLine(89, 324, 257, 324)} << "resize" << Qt::yellow;
        QTest::newRow("up column 1, then a cleared board")
            << "xxxx" << QList{QLine(33, 324, 33, 150)} << "clear" << Qt::white;
        QTest::newRow("a paint event keeps the line")
            << "x x x x" << QList{row1} << "paint event" << Qt::black;
    }

    void winLines()
    {
        QFETCH(QString, columns);
        QFETCH(QList<QLine>, lines);
        QFETCH(QString, then);
        QFETCH(Qt::GlobalColor, colour);

        placePieces(columns);
        QVERIFY(m_form->CheckWin(cellMine));
        const QImage after = grab();
        QPoint probe, across; // on a piece three pixels short of the last line's end, and across
        for (const QLine &line : lines) {
            const QPoint step(qBound(-1, line.dx(), 1), qBound(-1, line.dy(), 1));
            for (QPoint p = line.p1(); p != line.p2() + step; p += step)
                QCOMPARE(QColor(after.pixel(p)), QColor(Qt::black));
            probe = line.p2() - 3 * step;
            across = QPoint(qAbs(step.y()), qAbs(step.x()));
        }
        for (int offset = -2; offset <= 2; ++offset) // three pixels wide
            QCOMPARE(QColor(after.pixel(probe + offset * across)) == Qt::black, qAbs(offset) <= 1);

        if (then == "repaint") {
            m_form->RepaintBoard();
        } else if (then == "resize") {
            m_form->resize(m_form->size() + QSize(7, 6));
            QTRY_COMPARE_WITH_TIMEOUT(surface()->size(), storedSize + QSize(7, 6), 5000);
            m_form->resize(m_form->size() - QSize(7, 6));
            QTRY_COMPARE_WITH_TIMEOUT(surface()->size(), storedSize, 5000);
        } else if (then == "clear") {
            m_form->ClearBoard();
        } else {
            surface()->repaint();
        }
        QCOMPARE(QColor(grab().pixel(probe)), QColor(colour));
    }

    void clicks_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QList<QPoint>>("moves");

        QTest::newRow("right button") << Qt::RightButton << QPoint(30, 321) << QList{QPoint(1, 1)};
        QTest::newRow("middle, top right")
            << Qt::MiddleButton << QPoint(391, 57) << QList{QPoint(7, 6)};
        QTest::newRow("band between rows") << Qt::LeftButton << QPoint(30, 60) << QList<QPoint>();
    }

    void clicks()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, point);
        QFETCH(QList<QPoint>, moves);

        m_form->moves.clear();
        QTest::mouseClick(surface(), button, Qt::NoModifier, point);
        QCOMPARE(m_form->moves, moves);
    }

private:
    TPaintBox *surface() const { return m_form->PaintBox1(); }
    QImage grab() const { return surface()->grab().toImage(); }
    void placePieces(const QString &columns);

    std::unique_ptr<RecordingForm> m_form;
};

// Columns as words of pieces from row 1 up, 'x' mine and 'o' theirs, '-' for none; the
// columns left out stay empty.
void tst_BoardView::placePieces(const QString &columns)
{
    m_form->Board.clear();
    int column = 1;
    for (QChar piece : columns) {
        if (piece == u' ')
            ++column;
        else if (piece != u'-')
            m_form->Board.dropInto(column, piece == u'x' ? cellMine : cellTheirs);
    }
    m_form->RepaintBoard();
}

DROPSTONE_TEST_MAIN(tst_BoardView)
#include "tst_boardview.moc"

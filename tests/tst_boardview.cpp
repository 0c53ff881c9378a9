// The board as the main window draws it, its winning lines and the clicks on it, checked
// pixel by pixel on the real surface.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "platform/PaintBox.h"

#include <QImage>
#include <QLine>

#include <memory>

namespace {

const QColor blue(0, 0, 255);
const QColor white(255, 255, 255);
const QColor yellow(255, 255, 0);
const QColor red(255, 0, 0);
const QColor black(0, 0, 0);

const QSize storedSize(398, 353);

// The main window with its moves recorded instead of played.
class RecordingForm : public TForm1
{
public:
    QStringList moves;
    void PlayMove(int column, int row) override
    {
        moves << QStringLiteral("%1,%2").arg(column).arg(row);
    }
};

} // namespace

class tst_BoardView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void painting_data();
    void painting();
    void winLines_data();
    void winLines();
    void lineRemoved_data();
    void lineRemoved();
    void clicks_data();
    void clicks();

private:
    TPaintBox *surface() const { return m_form->PaintBox1(); }
    QImage grab() const { return surface()->grab().toImage(); }
    QColor pixel(int x, int y) const { return QColor(grab().pixel(x, y)); }
    void setSurfaceSize(QSize size);
    void placePieces(const QString &columns);

    std::unique_ptr<RecordingForm> m_form;
};

void tst_BoardView::initTestCase()
{
    ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
    m_form = std::make_unique<RecordingForm>();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(surface()->size(), storedSize);
}

void tst_BoardView::cleanupTestCase()
{
    m_form.reset();
}

void tst_BoardView::init()
{
    setSurfaceSize(storedSize);
    m_form->moves.clear();
}

// Resizes the window so that the surface gets the given size.
void tst_BoardView::setSurfaceSize(QSize size)
{
    if (surface()->size() == size)
        return;
    m_form->resize(m_form->size() + size - surface()->size());
    QTRY_COMPARE_WITH_TIMEOUT(surface()->size(), size, 5000);
}

// Columns as words of pieces from row 1 up, 'x' mine and 'o' theirs; '-' for none.
void tst_BoardView::placePieces(const QString &columns)
{
    m_form->Board.clear();
    const QStringList words = columns.split(u' ');
    for (int column = 1; column <= words.size(); ++column) {
        for (QChar piece : words.at(column - 1)) {
            if (piece != u'-')
                m_form->Board.dropInto(column, piece == u'x' ? cellMine : cellTheirs);
        }
    }
    m_form->RepaintBoard();
}

void tst_BoardView::painting_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QColor>("colour");

    // Column 1 holds mine in row 1 and theirs in row 2; cell (1,1) is x 5-55, y 295-347.
    const QSize s = storedSize;
    QTest::newRow("background corner") << s << QPoint(0, 0) << blue;
    QTest::newRow("band between columns") << s << QPoint(58, 321) << blue;
    QTest::newRow("cell corner outside the ellipse") << s << QPoint(5, 295) << blue;
    QTest::newRow("below the last row") << s << QPoint(30, 350) << blue;
    QTest::newRow("empty cell") << s << QPoint(366, 31) << white;
    QTest::newRow("own piece") << s << QPoint(30, 321) << yellow;
    QTest::newRow("opponent's piece") << s << QPoint(30, 263) << red;
    QTest::newRow("outline, left edge") << s << QPoint(5, 321) << black;
    QTest::newRow("outline, last pixel left of the right edge") << s << QPoint(55, 321) << black;
    QTest::newRow("right edge is exclusive") << s << QPoint(56, 321) << blue;
    QTest::newRow("outline, last pixel above the bottom edge") << s << QPoint(30, 347) << black;
    QTest::newRow("bottom edge is exclusive") << s << QPoint(30, 348) << blue;

    // h = 83 against w = 56: the ellipse of cell (1,6), x 5-55, reaches from y 5 to 82.
    const QSize tall(398, 503);
    QTest::newRow("tall: top") << tall << QPoint(30, 5) << black;
    QTest::newRow("tall: bottom") << tall << QPoint(30, 82) << black;
}

void tst_BoardView::painting()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, point);
    QFETCH(QColor, colour);

    setSurfaceSize(size);
    placePieces(QStringLiteral("xo - - - - - -"));
    QCOMPARE(pixel(point.x(), point.y()), colour);
}

void tst_BoardView::winLines_data()
{
    QTest::addColumn<QString>("columns");
    QTest::addColumn<int>("player");
    QTest::addColumn<QList<QLine>>("lines"); // each horizontal or vertical
    // A point on the line where the board beneath is a piece, to measure the line's width.
    QTest::addColumn<QPoint>("probe");

    const QLine row1(33, 324, 201, 324);
    QTest::newRow("along row 1") << "x x x x - - -" << cellMine << QList{row1} << QPoint(141, 324);
    QTest::newRow("five in a row")
        << "x x x x x - -" << cellMine << QList{row1, QLine(89, 324, 257, 324)} << QPoint(254, 324);
    QTest::newRow("up column 1") << "xxxx - - - - - -" << cellMine << QList{QLine(33, 324, 33, 150)}
                                 << QPoint(33, 205);
    QTest::newRow("the opponent's")
        << "o o o o - - -" << cellTheirs << QList{row1} << QPoint(141, 324);
    QTest::newRow("not mine") << "o o o o - - -" << cellMine << QList<QLine>() << QPoint();
}

void tst_BoardView::winLines()
{
    QFETCH(QString, columns);
    QFETCH(int, player);
    QFETCH(QList<QLine>, lines);
    QFETCH(QPoint, probe);

    placePieces(columns);
    const QImage before = grab();
    QCOMPARE(m_form->CheckWin(player), !lines.isEmpty());
    const QImage after = grab();
    if (lines.isEmpty()) {
        QCOMPARE(after, before);
        return;
    }
    for (const QLine &line : lines) {
        const QPoint step((line.dx() > 0) - (line.dx() < 0), (line.dy() > 0) - (line.dy() < 0));
        for (QPoint p = line.p1(); p != line.p2() + step; p += step)
            QCOMPARE(QColor(after.pixel(p)), black);
    }
    // Three pixels wide, across the line.
    const QPoint across = lines.first().dy() == 0 ? QPoint(0, 1) : QPoint(1, 0);
    QString profile;
    for (int offset = -2; offset <= 2; ++offset)
        profile += QColor(after.pixel(probe + offset * across)) == black ? u'#' : u'.';
    QCOMPARE(profile, QStringLiteral(".###."));
}

void tst_BoardView::lineRemoved_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QColor>("colour"); // on the line, over cell (3,1)

    QTest::newRow("immediate repaint") << "repaint" << yellow;
    QTest::newRow("resize") << "resize" << yellow;
    QTest::newRow("clear board") << "clear" << white;
    QTest::newRow("paint event keeps the canvas") << "paint event" << black;
}

void tst_BoardView::lineRemoved()
{
    QFETCH(QString, action);
    QFETCH(QColor, colour);

    placePieces(QStringLiteral("x x x x - - -"));
    QVERIFY(m_form->CheckWin(cellMine));
    QCOMPARE(pixel(141, 324), black);

    if (action == "repaint") {
        m_form->RepaintBoard();
    } else if (action == "resize") {
        setSurfaceSize(storedSize + QSize(7, 6));
        setSurfaceSize(storedSize);
    } else if (action == "clear") {
        m_form->ClearBoard();
        for (int column = 1; column <= TBoard::Columns; ++column) {
            for (int row = 1; row <= TBoard::Rows; ++row)
                QCOMPARE(m_form->Board.cell(column, row), cellEmpty);
        }
    } else {
        surface()->repaint();
    }
    QCOMPARE(pixel(141, 324), colour);
}

void tst_BoardView::clicks_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<QString>("moves");

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("first pixel of cell 1,1")
        << Qt::LeftButton << none << QPoint(5, 295) << false << "1,1";
    QTest::newRow("right button") << Qt::RightButton << none << QPoint(30, 321) << false << "1,1";
    QTest::newRow("middle button with shift and control, top right cell")
        << Qt::MiddleButton << (Qt::ShiftModifier | Qt::ControlModifier) << QPoint(391, 57) << false
        << "7,6";
    QTest::newRow("double click, once per press")
        << Qt::LeftButton << none << QPoint(100, 200) << true << "2,3 2,3";
    QTest::newRow("right edge of column 1")
        << Qt::LeftButton << none << QPoint(56, 321) << false << "";
    QTest::newRow("band between rows") << Qt::LeftButton << none << QPoint(30, 60) << false << "";
}

void tst_BoardView::clicks()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QPoint, point);
    QFETCH(bool, doubleClick);
    QFETCH(QString, moves);

    // Through the window system: it makes a double click of two presses, the way a user does.
    if (doubleClick)
        QTest::mouseDClick(m_form->windowHandle(), button, modifiers,
                           surface()->mapTo(m_form.get(), point));
    else
        QTest::mouseClick(surface(), button, modifiers, point);
    QCOMPARE(m_form->moves.join(u' '), moves);
}

DROPSTONE_TEST_MAIN(tst_BoardView)
#include "tst_boardview.moc"

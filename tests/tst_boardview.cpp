// The board as the main window draws it and its winning lines, checked pixel by pixel on the
// real surface.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "platform/PaintBox.h"

#include <QImage>

#include <memory>

class tst_BoardView : public QObject
{
    Q_OBJECT

    static constexpr QSize storedSize{398, 353};

private slots:
    void initTestCase()
    {
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        m_form = std::make_unique<TForm1>();
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
        QTest::newRow("empty cell") << QPoint(366, 31) << Qt::white;
        QTest::newRow("own piece") << QPoint(30, 321) << Qt::yellow;
        QTest::newRow("opponent's piece") << QPoint(30, 263) << Qt::red;
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

    void winLines()
    {
        // Up column 1, and along row 1 to column 5: a vertical line, then two overlapping
        // horizontal ones, drawn straight onto the surface.
        placePieces("xxxx x x x x");
        QVERIFY(m_form->CheckWin(cellMine));
        const QImage drawn = grab();
        for (int y = 150; y <= 324; ++y)
            QCOMPARE(QColor(drawn.pixel(33, y)), QColor(Qt::black));
        for (int x = 33; x <= 257; ++x)
            QCOMPARE(QColor(drawn.pixel(x, 324)), QColor(Qt::black));
        // Three pixels wide, on a piece short of the end.
        for (int offset = -2; offset <= 2; ++offset)
            QCOMPARE(QColor(drawn.pixel(254, 324 + offset)) == Qt::black, qAbs(offset) <= 1);

        // A paint event keeps the lines; a resize repaints the board without them.
        surface()->repaint();
        QCOMPARE(QColor(grab().pixel(254, 324)), QColor(Qt::black));
        m_form->resize(m_form->size() + QSize(7, 6));
        QTRY_COMPARE_WITH_TIMEOUT(surface()->size(), storedSize + QSize(7, 6), 5000);
        m_form->resize(m_form->size() - QSize(7, 6));
        QTRY_COMPARE_WITH_TIMEOUT(surface()->size(), storedSize, 5000);
        QCOMPARE(QColor(grab().pixel(254, 324)), QColor(Qt::yellow));
    }

private:
    TPaintBox *surface() const { return m_form->PaintBox1(); }
    QImage grab() const { return surface()->grab().toImage(); }

    // Columns as words of pieces from row 1 up, 'x' mine and 'o' theirs; the columns left out
    // stay empty.
    void placePieces(const QString &columns)
    {
        m_form->Board.clear();
        int column = 1;
        for (QChar piece : columns) {
            if (piece == u' ')
                ++column;
            else
                m_form->Board.dropInto(column, piece == u'x' ? cellMine : cellTheirs);
        }
        m_form->RepaintBoard();
    }

    std::unique_ptr<TForm1> m_form;
};

DROPSTONE_TEST_MAIN(tst_BoardView)
#include "tst_boardview.moc"

// The board on a screen scaled to 200 %: drawn at the screen's pixels, not enlarged.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "game/BoardGeometry.h"
#include "platform/PaintBox.h"

#include <memory>

class tst_BoardScaled : public QObject
{
    Q_OBJECT

private slots:
    void sharpCanvas()
    {
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        auto form = std::make_unique<TForm1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TPaintBox *surface = form->PaintBox1();
        QCOMPARE(surface->devicePixelRatioF(), 2.0);

        // A circle's outline is one screen pixel wide: on an enlarged picture it would be two.
        form->Board.dropAt(1, 1, cellMine);
        form->RepaintBoard();
        const QImage shot = surface->grab().toImage();
        const CellRect cell = BoardGeometry(surface->width(), surface->height()).cellRect(1, 1);
        const int y = cell.top + cell.bottom - 1; // the cell's vertical middle, in pixels
        int outline = 0;
        for (int x = 2 * cell.left; x < 2 * cell.left + 12; ++x)
            outline += shot.pixelColor(x, y) == Qt::black;
        QCOMPARE(outline, 1);
        QCOMPARE(shot.pixelColor(cell.left + cell.right, y), QColor(Qt::yellow));
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    TApplication app(argc, argv);
    tst_BoardScaled test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_boardscaled.moc"

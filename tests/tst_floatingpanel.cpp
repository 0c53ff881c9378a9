// The floating panel as the main window's side panel: its bar, cursor and resize drag, a box
// shown mid-drag, and floating; the screen feedback beneath them.
#include "TestSupport.h"

#include "platform/MessageBox.h"

#include "app/Unit1.h"
#include "controls/FloatingPanel.h"
#include "platform/StatusBar.h"

#include <QFrame>
#include <QPointer>
#include <QSignalSpy>

#include <algorithm>
#include <memory>

namespace {

using Panel = TFloatingPanel;

QRgb system(QPalette::ColorRole role)
{
    return QApplication::palette().color(role).rgb();
}

Qt::CursorShape overrideShape()
{
    const QCursor *cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// The dotted rectangles that are on the screen now, from left to right.
QList<QRect> feedbackOnScreen()
{
    QList<QRect> rects;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() == Qt::ToolTip && !window->mask().isEmpty())
            rects << window->geometry();
    }
    std::sort(rects.begin(), rects.end(), [](QRect a, QRect b) { return a.x() < b.x(); });
    return rects;
}

// After a drag nothing it took may be left behind.
bool dragEnded(Panel *panel)
{
    return !panel->ScreenDC() && !QWidget::mouseGrabber() && feedbackOnScreen().isEmpty() &&
           !QGuiApplication::overrideCursor();
}

std::unique_ptr<TForm1> startForm()
{
    // The real pointer waits outside every window the tests open.
    QCursor::setPos(0, 0);
    ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
    auto form = std::make_unique<TForm1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get(), 5000))
        return nullptr;
    return form;
}

} // namespace

class tst_FloatingPanel : public QObject
{
    Q_OBJECT

private slots:
    void sidePanel()
    {
        auto form = startForm();
        QVERIFY(form);
        Panel *panel = form->FloatingPanel2();
        QCOMPARE(panel->BarRect(), QRect(0, 0, 5, 355));
        QCOMPARE(panel->contentsRect(), QRect(6, 1, 158, 353));

        // The bar is a raised frame on the button face; no bevel around the rest.
        const QImage image = panel->grab().toImage();
        QCOMPARE(image.pixel(0, 100), system(QPalette::Light));
        QCOMPARE(image.pixel(4, 100), system(QPalette::Dark));

        // The sizing arrow shows over the bar, its edges included, and nowhere else.
        QTest::mouseMove(panel, QPoint(5, 354));
        QTRY_COMPARE_WITH_TIMEOUT(overrideShape(), Qt::SizeHorCursor, 5000);
        QTest::mouseMove(panel, QPoint(80, 100));
        QTRY_COMPARE_WITH_TIMEOUT(overrideShape(), Qt::ArrowCursor, 5000);
        QTest::mouseMove(form->Panel1(), QPoint(200, 200));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::overrideCursor(), nullptr, 5000);
    }

    void resizeDrag_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("applied");

        QTest::newRow("40 to the left") << -40 << -40;
        QTest::newRow("no movement") << 0 << 0;
        QTest::newRow("stops at the parent's left edge") << -1000 << -400;
        QTest::newRow("stops where the bar meets the right edge") << 1000 << 160;
    }

    void resizeDrag()
    {
        QFETCH(int, dx);
        QFETCH(int, applied);

        auto form = startForm();
        QVERIFY(form);
        Panel *panel = form->FloatingPanel2();
        QSignalSpy split(panel, &Panel::OnSplit);
        const QPoint origin = panel->mapToGlobal(QPoint(0, 0));

        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(2, 100));
        QCOMPARE(QWidget::mouseGrabber(), panel);
        QCOMPARE(overrideShape(), Qt::SizeHorCursor);
        QCOMPARE(feedbackOnScreen(), QList<QRect>({QRect(origin, QSize(5, 355))}));
        // A second press during the drag starts nothing more.
        QTest::mousePress(panel, Qt::RightButton, {}, QPoint(2 + dx / 2, 130));
        QTest::mouseMove(panel, QPoint(2 + dx / 2, 130));
        QTest::mouseMove(panel, QPoint(2 + dx, 160));
        // Only the dotted bar moves while the drag lasts.
        const QList<QRect> expected{QRect(origin + QPoint(applied, 0), QSize(5, 355))};
        QCOMPARE(feedbackOnScreen(), expected);
        QCOMPARE(panel->width(), 165);
        QCOMPARE(split.count(), 0);

        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(2 + dx, 160));
        QCOMPARE(split.count(), 1);
        QCOMPARE(panel->geometry(), QRect(400 + applied, 0, 165 - applied, 355));
        QCOMPARE(form->Panel1()->width(), 400 + applied);
        QCOMPARE(form->StatusBar1()->panelWidth(0), 401 + applied);
        QTest::mouseRelease(panel, Qt::RightButton, {}, QPoint(2 + dx, 160));
        QCOMPARE(split.count(), 1);
        QVERIFY(dragEnded(panel));
    }

    void boxDuringDrag_data()
    {
        QTest::addColumn<bool>("onCloseButton"); // else on the resize bar
        QTest::newRow("resize drag") << false;
        QTest::newRow("close button held") << true;
    }

    void boxDuringDrag()
    {
        // A box shown for a socket event takes the release away: the drag or the press ends,
        // changing nothing.
        QFETCH(bool, onCloseButton);
        auto form = startForm();
        QVERIFY(form);
        Panel *panel = form->FloatingPanel2();
        panel->setCloseButton(true);
        QSignalSpy split(panel, &Panel::OnSplit);
        const QPoint press = onCloseButton ? panel->CloseRect().center() : QPoint(2, 100);
        QTest::mousePress(panel, Qt::LeftButton, {}, press);
        QTest::mouseMove(panel, press - QPoint(40, 0));
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        MessageBox("Fehler");
        QVERIFY(dragEnded(panel));
        QVERIFY(!panel->ClosePressed());
        QTest::mouseRelease(panel, Qt::LeftButton, {}, press - QPoint(40, 0));
        QCOMPARE(split.count(), 0);
        QCOMPARE(panel->width(), 165);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->grab().toImage().pixel(panel->CloseRect().topLeft()),
                 system(QPalette::Light));

        // The next drag on the bar resizes as ever.
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(2, 100));
        QTest::mouseMove(panel, QPoint(-38, 100));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(-38, 100));
        QCOMPARE(split.count(), 1);
        QCOMPARE(panel->width(), 205);
    }

    void floating()
    {
        // The program's panel has no handle to float by; kept are the ways out of a float that
        // once left a drag, a window or a deleted panel behind.
        auto form = startForm();
        QVERIFY(form);
        QPointer<Panel> panel = form->FloatingPanel2();
        panel->setHandleType(Panel::htSingle);
        const QPoint start = panel->mapToGlobal(QPoint(0, 0));
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 3));
        QCOMPARE(QWidget::mouseGrabber(), panel);
        QTest::mouseMove(panel, QPoint(190, -57));
        QCOMPARE(feedbackOnScreen().size(), 3);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(190, -57));
        QVERIFY(dragEnded(panel));
        QPointer<QWidget> window = panel->FloatForm();
        QVERIFY(window->isVisible());
        // The window's outer corner lands where the frame was dropped, whatever frame a window
        // manager adds.
        QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry().topLeft(), start + QPoint(150, -60),
                                  5000);

        // Docking deletes the window, though its close box was used first.
        window->close();
        panel->Defloat();
        QTRY_VERIFY_WITH_TIMEOUT(!window, 5000);
        QCOMPARE(panel->parentWidget(), form->centralWidget());

        // A window closing while its panel floats takes the panel and its window along.
        panel->FloatAt(QPoint(300, 300));
        window = panel->FloatForm();
        form.reset();
        QVERIFY(!panel);
        QVERIFY(!window);

        // A handler of OnFloat may delete the panel; floating it somewhere then ends there.
        auto alone = std::make_unique<QWidget>();
        panel = new Panel(alone.get());
        connect(panel, &Panel::OnFloat, this, [&] { delete panel; });
        panel->FloatAt(QPoint(300, 300));
        QVERIFY(!panel);
    }
};

DROPSTONE_TEST_MAIN(tst_FloatingPanel)
#include "tst_floatingpanel.moc"

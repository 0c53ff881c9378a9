// The main window's side panel: what its drags leave behind, a box shown in the middle of one,
// and the ways into and out of a float.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "controls/FloatingPanel.h"
#include "platform/MessageBox.h"
#include "platform/StatusBar.h"

#include <QPointer>
#include <QSignalSpy>

#include <memory>

namespace {

using Panel = TFloatingPanel;

// The dotted rectangles that are on the screen now.
QList<QRect> feedbackOnScreen()
{
    QList<QRect> rects;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowType() == Qt::ToolTip && !w->mask().isEmpty())
            rects << w->geometry();
    }
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
    void drag_data()
    {
        QTest::addColumn<bool>("onCloseButton"); // else on the resize bar
        QTest::addColumn<bool>("box");           // shown for a socket event mid-drag
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("applied");
        QTest::newRow("40 to the left") << false << false << -40 << -40;
        QTest::newRow("stops at the parent's left edge") << false << false << -1000 << -400;
        QTest::newRow("stops where the bar meets the right edge") << false << false << 1000 << 160;
        // The box takes the release away: the drag or the press ends, changing nothing.
        QTest::newRow("box during the drag") << false << true << -40 << 0;
        QTest::newRow("box while the close button is held") << true << true << -40 << 0;
    }

    void drag()
    {
        QFETCH(bool, onCloseButton);
        QFETCH(bool, box);
        QFETCH(int, dx);
        QFETCH(int, applied);
        auto form = startForm();
        QVERIFY(form);
        Panel *panel = form->FloatingPanel2();
        panel->setCloseButton(true);
        QSignalSpy split(panel, &Panel::OnSplit);
        const QPoint origin = panel->mapToGlobal(QPoint(0, 0));
        const QPoint press = onCloseButton ? panel->CloseRect().center() : QPoint(2, 100);
        const QPoint end = press + QPoint(dx, 60);

        QTest::mousePress(panel, Qt::LeftButton, {}, press);
        // A second press during the drag starts nothing more.
        QTest::mousePress(panel, Qt::RightButton, {}, press + QPoint(dx / 2, 30));
        QTest::mouseMove(panel, press + QPoint(dx / 2, 30));
        QTest::mouseMove(panel, end);
        if (box) {
            ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
            MessageBox("Fehler");
            QVERIFY(dragEnded(panel));
            QVERIFY(!panel->ClosePressed());
        } else {
            // Only the dotted bar moves while the drag lasts.
            const QRect bar(origin + QPoint(applied, 0), QSize(5, 355));
            QCOMPARE(feedbackOnScreen(), QList<QRect>{bar});
            QCOMPARE(panel->width(), 165);
        }
        QTest::mouseRelease(panel, Qt::LeftButton, {}, end);
        QTest::mouseRelease(panel, Qt::RightButton, {}, end);
        QCOMPARE(split.count(), box ? 0 : 1);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->geometry(), QRect(400 + applied, 0, 165 - applied, 355));
        QCOMPARE(form->StatusBar1()->panelWidth(0), 401 + applied); // follows Panel1
        QVERIFY(dragEnded(panel));
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
        QTest::mouseMove(panel, QPoint(190, -57));
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(190, -57));
        QVERIFY(dragEnded(panel));
        QPointer<QWidget> window = panel->FloatForm();
        QVERIFY(window->isVisible());
        // The window's outer corner lands where the frame was dropped, whatever frame a window
        // manager adds.
        const QPoint dropped = start + QPoint(150, -60);
        QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry().topLeft(), dropped, 5000);

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

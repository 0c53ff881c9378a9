// The floating panel: its layout, painting, cursor, resize drag, close button and floating,
// on the main window's side panel; the edge drawing and the screen feedback beneath them.
#include "TestSupport.h"

#include "platform/MessageBox.h"

#include "app/Unit1.h"
#include "controls/FloatingPanel.h"
#include "platform/StatusBar.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
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
    void sidePanel();
    void handle_data();
    void handle();
    void resizeDrag_data();
    void resizeDrag();
    void boxDuringDrag_data();
    void boxDuringDrag();
    void floating();
};

void tst_FloatingPanel::sidePanel()
{
    auto form = startForm();
    QVERIFY(form);
    Panel *panel = form->FloatingPanel2();
    QCOMPARE(panel->geometry(), QRect(400, 0, 165, 355));
    QCOMPARE(panel->BarRect(), QRect(0, 0, 5, 355));
    QCOMPARE(panel->contentsRect(), QRect(6, 1, 158, 353));
    QCOMPARE(form->Memo1()->geometry(), QRect(6, 295, 158, 59));
    QVERIFY(!form->Memo2()->isEnabled());
    QVERIFY(form->Memo2()->isReadOnly());

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

    // Enter breaks no line in the input.
    QTest::keyClick(form->Memo1(), Qt::Key_Return);
    QTest::keyClick(form->Memo1(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(form->Memo1()->toPlainText(), QString());

    // The close button, pressed and left before the release, still closes; its glyph shows
    // as the panel goes.
    panel->setCloseButton(true);
    const QRect button = panel->CloseRect();
    QCOMPARE(button, QRect(152, 2, 11, 12));
    QCOMPARE(panel->grab().toImage().pixel(button.topLeft()), system(QPalette::Light));
    QTest::mousePress(panel, Qt::LeftButton, {}, button.center());
    QCOMPARE(panel->grab().toImage().pixel(button.topLeft()), system(QPalette::Dark));
    QList<bool> glyphOnHide;
    connect(panel, &Panel::OnHide, this, [&] {
        const QPoint at = panel->mapToGlobal(button.topLeft() + QPoint(3, 4));
        const QImage shot = panel->screen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage();
        glyphOnHide << (shot.pixel(0, 0) == system(QPalette::ButtonText));
    });
    QTest::mouseMove(panel, button.center() - QPoint(90, -200));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, button.center() - QPoint(90, -200));
    QCOMPARE(glyphOnHide, QList<bool>({true}));
    QVERIFY(!panel->isVisible());
    // Shown again, the button is raised and bare.
    panel->ShowPanel();
    const QImage shown = panel->grab().toImage();
    QCOMPARE(shown.pixel(button.topLeft()), system(QPalette::Light));
    QCOMPARE(shown.pixel(button.center()), system(QPalette::Button));
}

void tst_FloatingPanel::handle_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("closeButton");
    QTest::addColumn<QRect>("band");
    QTest::addColumn<QRect>("strip");
    QTest::addColumn<int>("half"); // where the two bars divide, 0 for one bar

    // The panel is 120 x 80 without bevel. Without a close button the strip starts where the
    // band does; beside one it is centred in the 12-pixel band.
    const struct
    {
        Panel::THandleType type;
        const char *name;
        int t, band, half, offset;
    } types[] = {{Panel::htSingle, "single", 3, 4, 0, 4},
                 {Panel::htDouble, "double", 7, 8, 3, 2},
                 {Panel::htBig, "big", 4, 5, 0, 4},
                 {Panel::htDoubleBig, "double big", 9, 10, 4, 2}};
    for (const auto &g : types) {
        const auto row = [&](Panel::THandleOrientation o, bool close, const char *where,
                             QRect strip) {
            const int b = close ? 12 : g.band;
            const QRect band = o == Panel::hoTop      ? QRect(2, 2, 116, b)
                               : o == Panel::hoBottom ? QRect(2, 78 - b, 116, b)
                               : o == Panel::hoLeft   ? QRect(2, 2, b, 76)
                                                      : QRect(118 - b, 2, b, 76);
            QTest::addRow("%s %s%s", g.name, where, close ? " with close button" : "")
                << int(g.type) << int(o) << close << band << strip << g.half;
        };
        row(Panel::hoTop, false, "top", QRect(2, 2, 116, g.t));
        row(Panel::hoBottom, false, "bottom", QRect(2, 78 - g.band, 116, g.t));
        row(Panel::hoLeft, false, "left", QRect(2, 2, g.t, 76));
        row(Panel::hoRight, false, "right", QRect(118 - g.band, 2, g.t, 76));
        row(Panel::hoTop, true, "top", QRect(2, 2 + g.offset, 103, g.t));
        row(Panel::hoBottom, true, "bottom", QRect(2, 66 + g.offset, 103, g.t));
        row(Panel::hoLeft, true, "left", QRect(2 + g.offset, 15, g.t, 63));
        row(Panel::hoRight, true, "right", QRect(106 + g.offset, 15, g.t, 63));
    }
}

void tst_FloatingPanel::handle()
{
    QFETCH(int, type);
    QFETCH(int, orientation);
    QFETCH(bool, closeButton);
    QFETCH(QRect, strip);
    QFETCH(int, half);

    // Aligned alNone the panel has no resize bar, even when asked for one.
    Panel panel;
    panel.setGeometry(0, 0, 120, 80);
    panel.setResizeBar(true);
    panel.setBevel(false);
    panel.setHandleType(Panel::THandleType(type));
    panel.setHandleOrientation(Panel::THandleOrientation(orientation));
    panel.setCloseButton(closeButton);
    QCOMPARE(panel.BarRect(), QRect());
    QTEST(panel.HandleRect(), "band");

    const QImage image = panel.grab().toImage();
    const QRgb face = system(QPalette::Button);
    QCOMPARE(image.pixel(strip.topLeft()), system(QPalette::Light));
    QCOMPARE(image.pixel(strip.bottomRight()), system(QPalette::Dark));
    const bool horizontal = strip.width() > strip.height();
    const QPoint along = horizontal ? QPoint(5, 0) : QPoint(0, 5);
    const QPoint across = horizontal ? QPoint(0, 1) : QPoint(1, 0);
    QCOMPARE(image.pixel(strip.topLeft() + along - across), face);
    QCOMPARE(image.pixel(strip.bottomRight() - along + across), face);
    if (half > 0) {
        const QPoint gap = strip.topLeft() + 4 * along + half * across;
        QCOMPARE(image.pixel(gap - across), system(QPalette::Dark));
        QCOMPARE(image.pixel(gap), face);
        QCOMPARE(image.pixel(gap + across), system(QPalette::Light));
    }
}

void tst_FloatingPanel::resizeDrag_data()
{
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("applied");

    QTest::newRow("40 to the left") << -40 << -40;
    QTest::newRow("no movement") << 0 << 0;
    QTest::newRow("stops at the parent's left edge") << -1000 << -400;
    QTest::newRow("stops where the bar meets the right edge") << 1000 << 160;
}

void tst_FloatingPanel::resizeDrag()
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

void tst_FloatingPanel::boxDuringDrag_data()
{
    QTest::addColumn<bool>("onCloseButton"); // else on the resize bar
    QTest::newRow("resize drag") << false;
    QTest::newRow("close button held") << true;
}

void tst_FloatingPanel::boxDuringDrag()
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
    QCOMPARE(panel->grab().toImage().pixel(panel->CloseRect().topLeft()), system(QPalette::Light));

    // The next drag on the bar resizes as ever.
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(panel, QPoint(-38, 100));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(-38, 100));
    QCOMPARE(split.count(), 1);
    QCOMPARE(panel->width(), 205);
}

void tst_FloatingPanel::floating()
{
    QStringList events;
    auto form = startForm();
    QVERIFY(form);
    QPointer<Panel> panel = form->FloatingPanel2();
    connect(panel, &Panel::OnShow, this, [&] { events << "show"; });
    connect(panel, &Panel::OnHide, this, [&] { events << "hide"; });
    connect(panel, &Panel::OnFloat, this, [&] { events << "float"; });
    connect(panel, &Panel::OnDefloat, this, [&] { events << "defloat"; });
    panel->setHandleType(Panel::htSingle);
    panel->setBarName("Chat");
    const QRect start(panel->mapToGlobal(QPoint(0, 0)), panel->size());

    // Dragging the handle moves a triple dotted frame and floats the panel where it drops.
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 3));
    QCOMPARE(QWidget::mouseGrabber(), panel);
    QTest::mouseMove(panel, QPoint(190, -57));
    const QRect frame = start.translated(150, -60);
    QCOMPARE(feedbackOnScreen(),
             QList<QRect>({frame, frame.adjusted(1, 1, -1, -1), frame.adjusted(2, 2, -2, -2)}));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(190, -57));
    QVERIFY(dragEnded(panel));
    QPointer<QWidget> window = panel->FloatForm();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Chat"));
    QVERIFY(window->windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint));
    // The window's outer corner lands there, whatever frame a window manager adds.
    QTRY_COMPARE_WITH_TIMEOUT(window->frameGeometry().topLeft(), frame.topLeft(), 5000);
    QCOMPARE(form->Panel1()->width(), 565);
    // Floating, the panel has neither bar nor handle.
    QCOMPARE(panel->contentsRect(), panel->rect().adjusted(1, 1, -1, -1));

    // The close box hides the window; the panel stays in it.
    window->close();
    QVERIFY(panel->Floating());
    window->resize(150, 250);
    panel->Defloat();
    QTRY_VERIFY_WITH_TIMEOUT(!window, 5000);
    QCOMPARE(panel->parentWidget(), form->centralWidget());
    QCOMPARE(panel->geometry(), QRect(415, 0, 150, 355));
    QCOMPARE(form->Panel1()->width(), 415);

    // Hiding a floating panel docks it first.
    panel->Float();
    panel->HidePanel();
    QVERIFY(!panel->Floating());
    QVERIFY(!panel->isVisible());
    QCOMPARE(events, QStringList({"show", "float", "hide", "show", "defloat", "show", "float",
                                  "show", "defloat", "hide"}));

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

DROPSTONE_TEST_MAIN(tst_FloatingPanel)
#include "tst_floatingpanel.moc"

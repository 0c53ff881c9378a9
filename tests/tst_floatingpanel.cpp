// The floating panel: its layout, painting, cursor, resize drag, close button and floating;
// the main window's side panel; the edge drawing and the screen feedback beneath them.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "controls/FloatingPanel.h"
#include "platform/ScreenFeedback.h"
#include "platform/StatusBar.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>

#include <algorithm>
#include <memory>
#include <tuple>

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

QRgb pixel(QWidget *widget, QPoint point)
{
    return widget->grab().toImage().pixel(point);
}

// The dotted rectangles that are on the screen now.
QList<QRect> feedbackOnScreen()
{
    QList<QRect> rects;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() == Qt::ToolTip && !window->mask().isEmpty())
            rects << window->geometry();
    }
    std::sort(rects.begin(), rects.end(), [](const QRect &a, const QRect &b) {
        return std::make_tuple(a.x(), a.y(), a.width()) < std::make_tuple(b.x(), b.y(), b.width());
    });
    return rects;
}

// A window holding a panel aligned as asked, 120 wide or 80 high, beside a control that fills
// the rest; the panel holds one control that fills its children's area.
class Host : public QWidget
{
public:
    explicit Host(TAlign align)
    {
        setGeometry(100, 100, 400, 300);
        const bool across = align != alTop && align != alBottom;
        panel->setGeometry(0, 0, across ? 120 : 400, across ? 300 : 80);
        panel->setBevel(false);
        panel->setResizeBar(true);
        panel->setAlign(align);
        rest->setProperty("align", "alClient");
        inner->setProperty("align", "alClient");
        AlignLayout::applyStoredAlign(this);
    }
    bool showExposed()
    {
        show();
        return QTest::qWaitForWindowExposed(this, 5000);
    }
    // The panel's events, in the order they came.
    QStringList events;
    QWidget *rest = new QWidget(this);
    QPointer<Panel> panel = new Panel(this);
    QWidget *inner = new QWidget(panel);

    void recordEvents()
    {
        QObject::connect(panel, &Panel::OnShow, this, [this] { events << "show"; });
        QObject::connect(panel, &Panel::OnHide, this, [this] { events << "hide"; });
        QObject::connect(panel, &Panel::OnFloat, this, [this] { events << "float"; });
        QObject::connect(panel, &Panel::OnDefloat, this, [this] { events << "defloat"; });
        QObject::connect(panel, &Panel::OnSplit, this, [this] { events << "split"; });
    }
};

std::unique_ptr<TForm1> startForm()
{
    ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
    auto form = std::make_unique<TForm1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get(), 5000))
        return nullptr;
    return form;
}

// After a drag nothing it took may be left behind.
bool dragEnded(Panel *panel)
{
    return !panel->ScreenDC() && !QWidget::mouseGrabber() && feedbackOnScreen().isEmpty() &&
           !QGuiApplication::overrideCursor();
}

} // namespace

class tst_FloatingPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void screenFeedback();
    void sidePanel();
    void childLayout_data();
    void childLayout();
    void gripStrip_data();
    void gripStrip();
    void cursor_data();
    void cursor();
    void resizeDrag_data();
    void resizeDrag();
    void resizeEdges_data();
    void resizeEdges();
    void noBarWithoutEdgeAlign();
    void closeButton_data();
    void closeButton();
    void handleDrag_data();
    void handleDrag();
    void floatingAndDocking();
    void unchangedWritesDoNothing();
    void teardown();
};

void tst_FloatingPanel::init()
{
    // The real pointer waits outside every window the tests open.
    QCursor::setPos(0, 0);
    QTest::qWait(20);
}

void tst_FloatingPanel::cleanup()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void tst_FloatingPanel::screenFeedback()
{
    // Drawing a shown rectangle again erases it; the object takes the rest along.
    const QRect a(200, 200, 40, 30), b(210, 205, 5, 300);
    auto feedback = std::make_unique<ScreenFeedback>();
    for (const QRect &rect : {a, b, a})
        feedback->DrawFocusRect(rect);
    QCOMPARE(feedback->Shown(), QList<QRect>({b}));
    QCOMPARE(feedbackOnScreen(), QList<QRect>({b}));
    feedback.reset();
    QCOMPARE(feedbackOnScreen(), QList<QRect>());
}

void tst_FloatingPanel::sidePanel()
{
    auto form = startForm();
    QVERIFY(form);
    Panel *panel = form->FloatingPanel2();
    QCOMPARE(panel->HandleType(), Panel::htNone);
    QCOMPARE(panel->HandleOrientation(), Panel::hoTop);
    QVERIFY(!panel->CloseButton());
    QVERIFY(panel->ResizeBar());
    QCOMPARE(panel->BarWidth(), 5);
    QVERIFY(!panel->Bevel());
    QCOMPARE(panel->Align(), alRight);
    QCOMPARE(panel->geometry(), QRect(400, 0, 165, 355));
    QCOMPARE(panel->BarRect(), QRect(0, 0, 5, 355));
    QCOMPARE(panel->BevelRect(), QRect(5, 0, 160, 355));
    QCOMPARE(panel->contentsRect(), QRect(6, 1, 158, 353));
    QCOMPARE(form->Memo1()->geometry(), QRect(6, 295, 158, 59));
    QCOMPARE(form->Memo2()->geometry(), QRect(6, 1, 158, 294));
    QVERIFY(!form->Memo2()->isEnabled());
    QVERIFY(form->Memo2()->isReadOnly());
    QWidget *next = form->Memo2()->nextInFocusChain();
    while (form->Memo2()->isAncestorOf(next))
        next = next->nextInFocusChain();
    QCOMPARE(next, form->Memo1());

    // The bar is a raised frame on the button face; no bevel around the rest.
    const QImage image = panel->grab().toImage();
    QCOMPARE(image.pixel(0, 100), system(QPalette::Light));
    QCOMPARE(image.pixel(2, 100), system(QPalette::Button));
    QCOMPARE(image.pixel(4, 100), system(QPalette::Dark));
    QCOMPARE(image.pixel(0, 354), system(QPalette::Dark));
    QCOMPARE(image.pixel(5, 0), system(QPalette::Button));
    QCOMPARE(image.pixel(164, 354), system(QPalette::Button));

    // Enter, with or without modifiers, breaks no line in the input.
    QPlainTextEdit *input = form->Memo1();
    input->setFocus();
    QTest::keyClicks(input, "ab");
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClick(input, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(input, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClicks(input, "c");
    QCOMPARE(input->toPlainText(), QString("abc"));
}

void tst_FloatingPanel::childLayout_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("closeButton");
    QTest::addColumn<bool>("bevel");
    QTest::addColumn<int>("barWidth");
    QTest::addColumn<QRect>("bar");
    QTest::addColumn<QRect>("handle");
    QTest::addColumn<QRect>("bevelRect");
    QTest::addColumn<QRect>("children");
    QTest::addColumn<QRect>("closeRect");

    // The panel is 120 x 80.
    QTest::newRow("bar on the left")
        << int(alRight) << int(Panel::htNone) << int(Panel::hoTop) << false << false << 5
        << QRect(0, 0, 5, 80) << QRect() << QRect(5, 0, 115, 80) << QRect(6, 1, 113, 78) << QRect();
    QTest::newRow("wide bar") << int(alRight) << int(Panel::htNone) << int(Panel::hoTop) << false
                              << false << 20 << QRect(0, 0, 20, 80) << QRect()
                              << QRect(20, 0, 100, 80) << QRect(21, 1, 98, 78) << QRect();
    QTest::newRow("single grip on top") << int(alNone) << int(Panel::htSingle) << int(Panel::hoTop)
                                        << false << false << 5 << QRect() << QRect(2, 2, 116, 4)
                                        << QRect(0, 0, 120, 80) << QRect(1, 5, 118, 74) << QRect();
    QTest::newRow("double at bottom, bevel")
        << int(alNone) << int(Panel::htDouble) << int(Panel::hoBottom) << false << true << 5
        << QRect() << QRect(2, 70, 116, 8) << QRect(0, 0, 120, 80) << QRect(2, 2, 116, 68)
        << QRect();
    QTest::newRow("big left grip beside a left bar")
        << int(alRight) << int(Panel::htBig) << int(Panel::hoLeft) << false << false << 5
        << QRect(0, 0, 5, 80) << QRect(7, 2, 5, 76) << QRect(5, 0, 115, 80) << QRect(11, 1, 108, 78)
        << QRect();
    QTest::newRow("double big right grip beside a right bar")
        << int(alLeft) << int(Panel::htDoubleBig) << int(Panel::hoRight) << false << false << 5
        << QRect(115, 0, 5, 80) << QRect(103, 2, 10, 76) << QRect(0, 0, 115, 80)
        << QRect(1, 1, 103, 78) << QRect();
    QTest::newRow("bottom grip above a bottom bar")
        << int(alTop) << int(Panel::htSingle) << int(Panel::hoBottom) << false << false << 5
        << QRect(0, 75, 120, 5) << QRect(2, 69, 116, 4) << QRect(0, 0, 120, 75)
        << QRect(1, 1, 118, 69) << QRect();
    QTest::newRow("close button on top below a top bar")
        << int(alBottom) << int(Panel::htNone) << int(Panel::hoTop) << true << false << 5
        << QRect(0, 0, 120, 5) << QRect(2, 7, 116, 12) << QRect(0, 5, 120, 75)
        << QRect(1, 18, 118, 61) << QRect(107, 7, 11, 12);
    QTest::newRow("close button on the left above a bottom bar, bevel")
        << int(alTop) << int(Panel::htDouble) << int(Panel::hoLeft) << true << true << 5
        << QRect(0, 75, 120, 5) << QRect(2, 2, 12, 71) << QRect(0, 0, 120, 75)
        << QRect(14, 2, 104, 71) << QRect(2, 2, 12, 11);
    QTest::newRow("no bar when filling the parent")
        << int(alClient) << int(Panel::htNone) << int(Panel::hoTop) << false << false << 5
        << QRect() << QRect() << QRect(0, 0, 120, 80) << QRect(1, 1, 118, 78) << QRect();
}

void tst_FloatingPanel::childLayout()
{
    QFETCH(int, align);
    QFETCH(int, type);
    QFETCH(int, orientation);
    QFETCH(bool, closeButton);
    QFETCH(bool, bevel);
    QFETCH(int, barWidth);

    Panel panel;
    auto inner = new QWidget(&panel);
    inner->setProperty("align", "alClient");
    AlignLayout::applyStoredAlign(&panel);
    panel.setGeometry(0, 0, 120, 80);
    panel.setResizeBar(true);
    panel.setBevel(bevel);
    panel.setBarWidth(barWidth);
    panel.setAlign(TAlign(align));
    panel.setHandleType(Panel::THandleType(type));
    panel.setHandleOrientation(Panel::THandleOrientation(orientation));
    panel.setCloseButton(closeButton);

    QTEST(panel.BarRect(), "bar");
    QTEST(panel.HandleRect(), "handle");
    QTEST(panel.BevelRect(), "bevelRect");
    QTEST(panel.contentsRect(), "children");
    QTEST(panel.CloseRect(), "closeRect");
    QCOMPARE(inner->geometry(), panel.contentsRect());
}

void tst_FloatingPanel::gripStrip_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("closeButton");
    QTest::addColumn<QRect>("strip");
    QTest::addColumn<int>("half"); // where the two bars divide, 0 for one bar

    // The panel is 120 x 80 without bevel or bar. Without a close button the strip starts
    // where the band does; beside one it is centred in the 12-pixel band.
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
            QTest::addRow("%s %s%s", g.name, where, close ? " with close button" : "")
                << int(g.type) << int(o) << close << strip << g.half;
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

void tst_FloatingPanel::gripStrip()
{
    QFETCH(int, type);
    QFETCH(int, orientation);
    QFETCH(bool, closeButton);
    QFETCH(QRect, strip);
    QFETCH(int, half);

    Panel panel;
    panel.setGeometry(0, 0, 120, 80);
    panel.setBevel(false);
    panel.setHandleType(Panel::THandleType(type));
    panel.setHandleOrientation(Panel::THandleOrientation(orientation));
    panel.setCloseButton(closeButton);
    const QImage image = panel.grab().toImage();

    const QRgb face = system(QPalette::Button);
    QCOMPARE(image.pixel(strip.topLeft()), system(QPalette::Light));
    QCOMPARE(image.pixel(strip.topRight()), system(QPalette::Dark));
    QCOMPARE(image.pixel(strip.bottomLeft()), system(QPalette::Dark));
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

void tst_FloatingPanel::cursor_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("sizing");

    QTest::newRow("bar, left edge") << QPoint(0, 100) << true;
    QTest::newRow("bar, right edge counts as inside") << QPoint(5, 200) << true;
    QTest::newRow("bar, bottom row") << QPoint(3, 354) << true;
    QTest::newRow("panel beside the bar") << QPoint(80, 0) << false;
    QTest::newRow("history") << QPoint(80, 100) << false;
    QTest::newRow("input") << QPoint(80, 320) << false;
}

void tst_FloatingPanel::cursor()
{
    QFETCH(QPoint, point);
    QFETCH(bool, sizing);

    auto form = startForm();
    QVERIFY(form);
    Panel *panel = form->FloatingPanel2();
    // From the bar to the point, and then off the panel onto the board.
    QTest::mouseMove(panel, QPoint(2, 50));
    QTRY_COMPARE_WITH_TIMEOUT(overrideShape(), Qt::SizeHorCursor, 5000);
    QTest::mouseMove(panel, point);
    QTRY_COMPARE_WITH_TIMEOUT(overrideShape(), sizing ? Qt::SizeHorCursor : Qt::ArrowCursor, 5000);
    QTest::mouseMove(form->Panel1(), QPoint(200, 200));
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::overrideCursor(), nullptr, 5000);
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
    QTest::mouseMove(panel, QPoint(2 + dx / 2, 130));
    QTest::mouseMove(panel, QPoint(2 + dx, 160));
    // Only the dotted bar moves while the drag lasts.
    const QList<QRect> expected{QRect(origin + QPoint(applied, 0), QSize(5, 355))};
    QCOMPARE(panel->ScreenDC()->Shown(), expected);
    QCOMPARE(feedbackOnScreen(), expected);
    QCOMPARE(panel->width(), 165);
    QCOMPARE(split.count(), 0);

    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(2 + dx, 160));
    QCOMPARE(split.count(), 1);
    QCOMPARE(panel->geometry(), QRect(400 + applied, 0, 165 - applied, 355));
    QCOMPARE(form->Panel1()->width(), 400 + applied);
    QCOMPARE(form->StatusBar1()->panelWidth(0), 401 + applied);
    QCOMPARE(form->Memo1()->geometry(), QRect(6, 295, std::max(0, 158 - applied), 59));
    QVERIFY(dragEnded(panel));
}

void tst_FloatingPanel::resizeEdges_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("rest");

    QTest::newRow("bar on the right")
        << int(alLeft) << QPoint(117, 40) << QPoint(30, 9) << QSize(150, 300) << QSize(250, 300);
    QTest::newRow("bar on the left")
        << int(alRight) << QPoint(2, 40) << QPoint(-30, 9) << QSize(150, 300) << QSize(250, 300);
    QTest::newRow("bar at the bottom")
        << int(alTop) << QPoint(40, 77) << QPoint(9, 30) << QSize(400, 110) << QSize(400, 190);
    QTest::newRow("bar at the top")
        << int(alBottom) << QPoint(40, 2) << QPoint(9, -30) << QSize(400, 110) << QSize(400, 190);
}

void tst_FloatingPanel::resizeEdges()
{
    QFETCH(int, align);
    QFETCH(QPoint, press);
    QFETCH(QPoint, move);

    Host host{TAlign(align)};
    QVERIFY(host.showExposed());
    host.recordEvents();
    const bool across = align == alLeft || align == alRight;
    QTest::mousePress(host.panel, Qt::RightButton, {}, press);
    QCOMPARE(overrideShape(), across ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    // A second press during the drag starts nothing more.
    QTest::mousePress(host.panel, Qt::LeftButton, {}, press);
    QTest::mouseMove(host.panel, press + move);
    QTest::mouseRelease(host.panel, Qt::LeftButton, {}, press + move);
    QTest::mouseRelease(host.panel, Qt::RightButton, {}, press + move);
    QTEST(host.panel->size(), "size");
    QTEST(host.rest->size(), "rest");
    QCOMPARE(host.events, QStringList({"split"}));
    QVERIFY(dragEnded(host.panel));
}

void tst_FloatingPanel::noBarWithoutEdgeAlign()
{
    Host host{alNone};
    QVERIFY(host.showExposed());
    host.recordEvents();
    Panel *panel = host.panel;
    QCOMPARE(panel->BarRect(), QRect());
    QCOMPARE(pixel(panel, QPoint(0, 40)), system(QPalette::Button));
    QTest::mouseMove(panel, QPoint(2, 40));
    QTest::qWait(100);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(2, 40));
    QVERIFY(!panel->Resizing());
    QTest::mouseMove(panel, QPoint(40, 40));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(40, 40));
    QCOMPARE(panel->size(), QSize(120, 300));
    QCOMPARE(host.events, QStringList());
    QVERIFY(dragEnded(panel));
}

void tst_FloatingPanel::closeButton_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QPoint>("releaseAt"); // relative to the button's centre

    QTest::newRow("released on the button") << int(Panel::htNone) << QPoint(0, 0);
    QTest::newRow("moved away first") << int(Panel::htNone) << QPoint(-90, 200);
    QTest::newRow("beside a grip") << int(Panel::htDouble) << QPoint(0, 0);
}

void tst_FloatingPanel::closeButton()
{
    QFETCH(int, type);
    QFETCH(QPoint, releaseAt);

    Host host{alNone};
    Panel *panel = host.panel;
    panel->setHandleType(Panel::THandleType(type));
    panel->setCloseButton(true);
    QVERIFY(host.showExposed());
    host.recordEvents();
    const QRect button = panel->CloseRect();
    QCOMPARE(button, QRect(107, 2, 11, 12));
    const QRgb face = system(QPalette::Button);
    QCOMPARE(pixel(panel, button.topLeft()), system(QPalette::Light));
    if (type == Panel::htNone)
        QCOMPARE(pixel(panel, QPoint(20, 7)), face);

    QTest::mousePress(panel, Qt::LeftButton, {}, button.center());
    QVERIFY(panel->ClosePressed());
    QCOMPARE(pixel(panel, button.topLeft()), system(QPalette::Dark));
    QTest::mouseMove(panel, button.center() + releaseAt);

    // The close glyph is on the screen when the panel goes.
    bool glyph = false;
    connect(panel, &Panel::OnHide, this, [&] {
        const QPoint at = panel->parentWidget()->mapToGlobal(panel->pos() + button.topLeft());
        const QImage shot = panel->screen()->grabWindow(0, at.x(), at.y(), 11, 12).toImage();
        for (int y = 3; y < 9; ++y) {
            for (int x = 3; x < 8; ++x)
                glyph = glyph || shot.pixel(x, y) == system(QPalette::ButtonText);
        }
    });
    QTest::mouseRelease(panel, Qt::LeftButton, {}, button.center() + releaseAt);
    QVERIFY(glyph);
    QVERIFY(!panel->isVisible());
    QVERIFY(!panel->Floating());
    QCOMPARE(host.events, QStringList({"hide"}));
    // Shown again, the button is raised and bare.
    panel->ShowPanel();
    QCOMPARE(pixel(panel, button.topLeft()), system(QPalette::Light));
    QCOMPARE(pixel(panel, button.center()), face);
}

void tst_FloatingPanel::handleDrag_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("move");

    QTest::newRow("click on the grip") << false << QPoint(40, 3) << QPoint(0, 0);
    QTest::newRow("dragged") << false << QPoint(40, 3) << QPoint(150, -60);
    QTest::newRow("band beside the close button") << true << QPoint(20, 6) << QPoint(-20, 40);
}

void tst_FloatingPanel::handleDrag()
{
    QFETCH(bool, closeButton);
    QFETCH(QPoint, press);
    QFETCH(QPoint, move);

    Host host{alRight};
    Panel *panel = host.panel;
    panel->setHandleType(closeButton ? Panel::htNone : Panel::htSingle);
    panel->setCloseButton(closeButton);
    panel->setBarName("Chat");
    QVERIFY(host.showExposed());
    host.recordEvents();
    const QRect start(panel->mapToGlobal(QPoint(0, 0)), panel->size());

    QTest::mousePress(panel, Qt::LeftButton, {}, press);
    QVERIFY(panel->Dragging());
    QCOMPARE(QWidget::mouseGrabber(), panel);
    QTest::mouseMove(panel, press + move);
    const QRect frame = start.translated(move);
    QCOMPARE(feedbackOnScreen(),
             QList<QRect>({frame, frame.adjusted(1, 1, -1, -1), frame.adjusted(2, 2, -2, -2)}));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, press + move);

    QVERIFY(panel->Floating());
    QCOMPARE(host.events, QStringList({"show", "float"}));
    QWidget *window = panel->FloatForm();
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Chat"));
    QVERIFY(window->windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint));
    QTRY_COMPARE_WITH_TIMEOUT(panel->mapToGlobal(QPoint(0, 0)), frame.topLeft(), 5000);
    QCOMPARE(panel->geometry(), QRect(QPoint(0, 0), start.size()));
    QCOMPARE(host.rest->width(), 400);
    QVERIFY(dragEnded(panel));
}

void tst_FloatingPanel::floatingAndDocking()
{
    Host host{alRight};
    Panel *panel = host.panel;
    panel->setHandleType(Panel::htSingle);
    panel->setBevel(true);
    host.inner->hide();
    QVERIFY(host.showExposed());
    host.recordEvents();

    panel->FloatAt(QPoint(500, 400));
    QPointer<QWidget> window = panel->FloatForm();
    QVERIFY(window);
    QCOMPARE(panel->Align(), alClient);
    // Floating, the panel draws its bevel only and ignores presses.
    QVERIFY(QTest::qWaitForWindowExposed(window, 5000));
    QCOMPARE(pixel(panel, QPoint(0, 0)), system(QPalette::Light));
    QCOMPARE(pixel(panel, QPoint(8, 2)), system(QPalette::Button));
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(40, 3));
    QVERIFY(!panel->Dragging());
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(40, 3));

    // The close box hides the window; the panel stays in it.
    window->close();
    QVERIFY(!window->isVisible());
    QVERIFY(panel->Floating());
    window->resize(150, 250);
    panel->Defloat();
    QVERIFY(!window);
    QVERIFY(!panel->Floating());
    QCOMPARE(panel->parentWidget(), &host);
    QCOMPARE(panel->Align(), alRight);
    QCOMPARE(panel->geometry(), QRect(250, 0, 150, 300));
    QCOMPARE(host.rest->width(), 250);
    QCOMPARE(panel->HandleRect(), QRect(7, 2, 141, 4));
    panel->Defloat();

    // Hiding a floating panel docks it first.
    panel->Float();
    QVERIFY(!panel->FloatForm()->isVisible());
    panel->HidePanel();
    QVERIFY(!panel->Floating());
    QVERIFY(!panel->isVisible());
    QCOMPARE(host.events, QStringList({"show", "float", "hide", "show", "defloat", "show", "float",
                                       "show", "defloat", "hide"}));

    // Without a parent the panel only shows.
    Panel orphan;
    QSignalSpy floated(&orphan, &Panel::OnFloat);
    QSignalSpy shown(&orphan, &Panel::OnShow);
    orphan.Float();
    QVERIFY(!orphan.Floating());
    QCOMPARE(shown.count(), 1);
    QCOMPARE(floated.count(), 0);
    orphan.hide();
}

void tst_FloatingPanel::unchangedWritesDoNothing()
{
    Host host{alRight};
    Panel *panel = host.panel;
    QVERIFY(host.showExposed());
    QTest::qWait(50);
    int paints = 0;
    struct Counter : QObject
    {
        int *count;
        bool eventFilter(QObject *, QEvent *event) override
        {
            *count += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    counter.count = &paints;
    panel->installEventFilter(&counter);
    QSignalSpy split(panel, &Panel::OnSplit);

    panel->setHandleType(Panel::htNone);
    panel->setHandleOrientation(Panel::hoTop);
    panel->setCloseButton(false);
    panel->setResizeBar(true);
    panel->setBarWidth(5);
    panel->setBevel(false);
    panel->setBarName(QString());
    panel->setAlign(alRight);
    QTest::qWait(100);
    QCOMPARE(paints, 0);
    panel->setBevel(true);
    QTRY_VERIFY_WITH_TIMEOUT(paints > 0, 5000);
    QCOMPARE(host.inner->geometry(), QRect(7, 2, 111, 296));
}

void tst_FloatingPanel::teardown()
{
    // A panel destroyed while floating takes its window along, and one whose parent goes
    // while it floats goes with it.
    auto host = std::make_unique<Host>(alRight);
    QVERIFY(host->showExposed());
    host->panel->FloatAt(QPoint(300, 300));
    QPointer<QWidget> window = host->panel->FloatForm();
    delete host->panel;
    QVERIFY(!window);
    QCOMPARE(host->rest->width(), 400);

    host = std::make_unique<Host>(alRight);
    QPointer<Panel> panel = host->panel;
    panel->FloatAt(QPoint(300, 300));
    window = panel->FloatForm();
    host.reset();
    QVERIFY(!panel);
    QVERIFY(!window);

    // Destroyed in the middle of a drag, the panel leaves nothing behind.
    host = std::make_unique<Host>(alRight);
    QVERIFY(host->showExposed());
    QTest::mousePress(host->panel, Qt::LeftButton, {}, QPoint(2, 40));
    QVERIFY(host->panel->Resizing());
    delete host->panel;
    QTest::mouseRelease(host.get(), Qt::LeftButton);
    QVERIFY(feedbackOnScreen().isEmpty());
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

DROPSTONE_TEST_MAIN(tst_FloatingPanel)
#include "tst_floatingpanel.moc"

#include "FloatingPanel.h"

#include "FloatForm.h"
#include "platform/ScreenFeedback.h"

#include <QDynamicPropertyChangeEvent>
#include <QLayout>
#include <QPointer>

#include <iterator>
#include <utility>

namespace {

// Aligns the controls of host now rather than at the next layout request, as the original
// toolkit does when a control joins, leaves or changes its alignment.
void alignNow(QWidget *host)
{
    if (auto layout = host ? qobject_cast<AlignLayout *>(host->layout()) : nullptr)
        layout->setGeometry(host->contentsRect());
}

} // namespace

TFloatingPanel::TFloatingPanel(QWidget *parent) : QWidget(parent)
{
    // The panel paints every pixel of itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The bar's cursor follows the pointer without a button held.
    setMouseTracking(true);
    resize(185, 41);
    AlignControls();
}

TFloatingPanel::~TFloatingPanel()
{
    resetCursor();
    if (m_floatForm) {
        // Destroyed while floating: the window goes too, but must not take the panel along
        // a second time.
        TFloatForm *form = std::exchange(m_floatForm, nullptr);
        form->OnClose = nullptr;
        form->OnDestroy = nullptr;
        setParent(nullptr);
        delete form;
    }
}

TFloatingPanel::HandleGeometry TFloatingPanel::handleGeometry(THandleType type)
{
    switch (type) {
    case htSingle:
        return {4, 3, 1};
    case htDouble:
        return {8, 7, 2};
    case htBig:
        return {5, 4, 1};
    case htDoubleBig:
        return {10, 9, 2};
    default:
        return {0, 0, 0};
    }
}

int TFloatingPanel::handleBand() const
{
    return m_closeButton ? 12 : handleGeometry(m_handleType).band;
}

bool TFloatingPanel::hasBar() const
{
    return m_resizeBar &&
           (m_align == alTop || m_align == alBottom || m_align == alLeft || m_align == alRight);
}

QWidget *TFloatingPanel::FloatForm() const
{
    return m_floatForm;
}

void TFloatingPanel::setBarName(const QString &name)
{
    if (name == m_barName)
        return;
    m_barName = name;
    if (m_floatForm)
        m_floatForm->setWindowTitle(name);
}

void TFloatingPanel::setHandleType(THandleType type)
{
    if (type == m_handleType || type < htNone || type > htDoubleBig)
        return;
    m_handleType = type;
    changed();
}

void TFloatingPanel::setHandleOrientation(THandleOrientation orientation)
{
    if (orientation == m_handleOrientation || orientation < hoTop || orientation > hoRight)
        return;
    m_handleOrientation = orientation;
    changed();
}

void TFloatingPanel::setCloseButton(bool on)
{
    if (on == m_closeButton)
        return;
    m_closeButton = on;
    m_closePressed = false;
    changed();
}

void TFloatingPanel::setResizeBar(bool on)
{
    if (on == m_resizeBar)
        return;
    m_resizeBar = on;
    changed();
}

void TFloatingPanel::setBarWidth(qint32 width)
{
    // Past a widget's largest size the layout arithmetic would overflow.
    if (width == m_barWidth || width < 0 || width > QWIDGETSIZE_MAX)
        return;
    m_barWidth = width;
    changed();
}

void TFloatingPanel::setBevel(bool on)
{
    if (on == m_bevel)
        return;
    m_bevel = on;
    changed();
}

void TFloatingPanel::setAlign(TAlign align)
{
    if (align == m_align || align < alNone || align > alClient)
        return;
    m_align = align;
    // Kept in step with the stored form, which the parent's alignment reads.
    setProperty("align", AlignLayout::nameOf(align));
    placeInParent();
    changed();
}

void TFloatingPanel::placeInParent()
{
    QWidget *host = parentWidget();
    auto layout = host ? qobject_cast<AlignLayout *>(host->layout()) : nullptr;
    if (!layout)
        return;
    if (static_cast<QLayout *>(layout)->indexOf(this) >= 0)
        layout->setAlign(this, m_align);
    else if (m_align != alNone)
        layout->addWidget(this, m_align);
    alignNow(host);
}

void TFloatingPanel::changed()
{
    AlignControls();
    update();
}

void TFloatingPanel::AlignControls()
{
    const int w = width();
    const int h = height();
    QRect area = rect();
    if (m_bevel)
        area.adjust(1, 1, -1, -1);
    m_bevelRect = rect();
    if (!m_floating) {
        const int band = handleBand();
        switch (m_handleOrientation) {
        case hoTop:
            area.adjust(0, band, 0, 0);
            m_handleRect = QRect(2, 2, w - 4, band);
            break;
        case hoBottom:
            area.adjust(0, 0, 0, -band);
            m_handleRect = QRect(2, h - band - 2, w - 4, band);
            break;
        case hoLeft:
            area.adjust(band, 0, 0, 0);
            m_handleRect = QRect(2, 2, band, h - 4);
            break;
        case hoRight:
            area.adjust(0, 0, -band, 0);
            m_handleRect = QRect(w - band - 2, 2, band, h - 4);
            break;
        }
        if (band == 0)
            m_handleRect = QRect();

        // The bar lies on the edge facing the rest of the parent. It narrows a handle that
        // runs along it and pushes aside one that lies on the bar's own edge.
        const int b = m_barWidth;
        const bool across = m_handleOrientation == hoLeft || m_handleOrientation == hoRight;
        m_barRect = QRect();
        if (hasBar()) {
            switch (m_align) {
            case alBottom:
                m_barRect = QRect(0, 0, w, b);
                area.adjust(0, b, 0, 0);
                m_bevelRect.adjust(0, b, 0, 0);
                if (band > 0 && across)
                    m_handleRect.adjust(0, b, 0, 0);
                else if (band > 0 && m_handleOrientation == hoTop)
                    m_handleRect.translate(0, b);
                break;
            case alTop:
                m_barRect = QRect(0, h - b, w, b);
                area.adjust(0, 0, 0, -b);
                m_bevelRect.adjust(0, 0, 0, -b);
                if (band > 0 && across)
                    m_handleRect.adjust(0, 0, 0, -b);
                else if (band > 0 && m_handleOrientation == hoBottom)
                    m_handleRect.translate(0, -b);
                break;
            case alRight:
                m_barRect = QRect(0, 0, b, h);
                area.adjust(b, 0, 0, 0);
                m_bevelRect.adjust(b, 0, 0, 0);
                if (band > 0 && !across)
                    m_handleRect.adjust(b, 0, 0, 0);
                else if (band > 0 && m_handleOrientation == hoLeft)
                    m_handleRect.translate(b, 0);
                break;
            default: // alLeft
                m_barRect = QRect(w - b, 0, b, h);
                area.adjust(0, 0, -b, 0);
                m_bevelRect.adjust(0, 0, -b, 0);
                if (band > 0 && !across)
                    m_handleRect.adjust(0, 0, -b, 0);
                else if (band > 0 && m_handleOrientation == hoRight)
                    m_handleRect.translate(-b, 0);
                break;
            }
        }

        // Kept with the layout rather than the painting, so a press always meets the button
        // where it is now.
        m_closeRect = QRect();
        if (m_closeButton) {
            const QRect &r = m_handleRect;
            m_closeRect = across ? QRect(r.x(), r.y(), r.width(), 11)
                                 : QRect(r.x() + r.width() - 11, r.y(), 11, r.height());
        }
    }

    // The base panel's unpainted outer bevel still takes one pixel on every side.
    area.adjust(1, 1, -1, -1);
    setContentsMargins(area.x(), area.y(), w - area.x() - area.width(),
                       h - area.y() - area.height());
    if (QLayout *children = layout())
        children->setGeometry(contentsRect());
}

void TFloatingPanel::ShowPanel()
{
    setVisible(true);
    emit OnShow();
}

void TFloatingPanel::HidePanel()
{
    // A handler of an event emitted on the way may delete the panel.
    const QPointer<TFloatingPanel> alive(this);
    if (m_floating)
        Defloat();
    if (!alive)
        return;
    setVisible(false);
    emit OnHide();
}

void TFloatingPanel::Float()
{
    if (m_floating)
        return;
    const QPointer<TFloatingPanel> alive(this);
    ShowPanel();
    if (!alive)
        return;
    m_floating = true;
    // Floating, the panel has no bar, and it would keep an arrow it set over one.
    resetCursor();
    m_savedParent = parentWidget();
    if (!m_savedParent) {
        m_floating = false;
        return;
    }
    m_savedAlign = m_align;

    m_floatForm = new TFloatForm(m_savedParent);
    m_floatForm->OnDestroy = [this] {
        m_floatForm = nullptr;
    };
    new AlignLayout(m_floatForm);
    setParent(m_floatForm);
    show();
    alignNow(m_savedParent);
    m_floatForm->OnClose = [this] {
        if (m_floating)
            emit OnHide();
    };

    m_savedLeft = x();
    m_savedTop = y();
    move(0, 0);
    // The caption and the frame are not known before the window is mapped: the panel's
    // size goes to the client area, and docking takes the client area's size back.
    m_floatForm->resize(size());
    m_floatForm->setWindowTitle(m_barName);

    setAlign(alClient);
    changed();
    emit OnFloat();
}

void TFloatingPanel::FloatAt(QPoint point)
{
    // A handler of OnFloat may delete the panel.
    const QPointer<TFloatingPanel> alive(this);
    Float();
    if (!alive || !m_floating || !m_floatForm)
        return;
    m_floatForm->move(point);
    m_floatForm->show();
    m_floatForm->raise();
    // Showing invalidated the window's alignment, which would otherwise wait for the next
    // layout request with the panel squeezed to nothing.
    alignNow(m_floatForm);
}

void TFloatingPanel::Defloat()
{
    if (!m_floating || !m_savedParent)
        return;
    const QPointer<TFloatingPanel> alive(this);
    ShowPanel();
    if (!alive)
        return;
    setAlign(alNone);
    TFloatForm *form = std::exchange(m_floatForm, nullptr);
    setParent(m_savedParent);
    if (form)
        resize(form->size());
    move(m_savedLeft, m_savedTop);
    show();

    if (form) {
        form->OnClose = nullptr;
        form->OnDestroy = nullptr;
        form->close();
        // Docking may be asked for from within the window's own close handler.
        form->deleteLater();
    }
    m_savedParent = nullptr;
    m_floating = false;

    changed();
    setAlign(m_savedAlign);
    emit OnDefloat();
}

void TFloatingPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    AlignControls();
}

bool TFloatingPanel::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DynamicPropertyChange:
        if (static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() == "align")
            setAlign(AlignLayout::alignNamed(property("align").toString()));
        break;
    case QEvent::ChildAdded:
        // The pointer moving onto a child leaves the panel itself.
        if (QObject *child = static_cast<QChildEvent *>(event)->child(); child->isWidgetType())
            child->installEventFilter(this);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

#include "platform/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

TPaintBox::TPaintBox(QWidget *parent) : QWidget(parent)
{
    // Every pixel comes from the canvas; nothing needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage &TPaintBox::Canvas()
{
    if (m_stale)
        paintCanvas();
    return m_canvas;
}

QAccessibleInterface *TPaintBox::accessibleFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("TPaintBox"))
        return nullptr;
    auto surface = qobject_cast<TPaintBox *>(object);
    return surface && surface->OnAccessible ? surface->OnAccessible(surface) : nullptr;
}

void TPaintBox::Repaint()
{
    m_stale = true;
    update();
}

void TPaintBox::ShowCanvas(const QRect &area)
{
    update(area.intersected(rect()));
}

// The canvas has the screen's pixels, so that a scaled screen shows the board as sharp as
// its text; painters on it work in the widget's coordinates all the same.
bool TPaintBox::canvasFits() const
{
    return m_canvas.size() == (QSizeF(size()) * devicePixelRatioF()).toSize() &&
           m_canvas.devicePixelRatio() == devicePixelRatioF();
}

void TPaintBox::paintCanvas()
{
    m_stale = false;
    if (!canvasFits()) {
        const qreal ratio = devicePixelRatioF();
        const QSize pixels = (QSizeF(size()) * ratio).toSize();
        // A failed allocation leaves a null image, on which nothing gets painted.
        m_canvas = pixels.isEmpty() ? QImage() : QImage(pixels, QImage::Format_RGB32);
        if (!m_canvas.isNull()) {
            m_canvas.setDevicePixelRatio(ratio);
            m_canvas.fill(palette().color(backgroundRole()));
        }
    }
    if (OnPaint && !m_canvas.isNull())
        OnPaint();
}

void TPaintBox::paintEvent(QPaintEvent *event)
{
    // A resize that arrived while hidden, or a move to a screen of another scale, leaves the
    // canvas behind the widget.
    if (m_stale || !canvasFits())
        paintCanvas();
    QPainter painter(this);
    const QRect area = event->rect();
    if (m_canvas.isNull()) {
        painter.fillRect(area, palette().color(backgroundRole()));
        return;
    }
    const qreal ratio = m_canvas.devicePixelRatio();
    painter.drawImage(QRectF(area), m_canvas,
                      QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio));
    if (OnOverlay)
        OnOverlay(painter);
}

void TPaintBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    paintCanvas();
}

void TPaintBox::mousePressEvent(QMouseEvent *event)
{
    // A point inside pixel (x, y) belongs to that pixel, also at fractional positions.
    const QPointF point = event->position();
    if (OnMouseDown)
        OnMouseDown(event->button(), event->modifiers(), qFloor(point.x()), qFloor(point.y()));
}

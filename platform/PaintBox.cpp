#include "platform/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

TPaintBox::TPaintBox(QWidget *parent) : QWidget(parent)
{
    // Every pixel comes from the canvas; nothing needs clearing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::Repaint()
{
    paintCanvas();
    repaint();
}

void TPaintBox::ShowCanvas(const QRect &area)
{
    repaint(area.intersected(rect()));
}

void TPaintBox::paintCanvas()
{
    if (m_canvas.size() != size()) {
        // A failed allocation leaves a null image, on which nothing gets painted.
        m_canvas = size().isEmpty() ? QImage() : QImage(size(), QImage::Format_RGB32);
        if (!m_canvas.isNull())
            m_canvas.fill(palette().color(backgroundRole()));
    }
    if (OnPaint && !m_canvas.isNull())
        OnPaint();
}

void TPaintBox::paintEvent(QPaintEvent *event)
{
    // A resize that arrived while hidden leaves the canvas behind the widget's size.
    if (m_canvas.size() != size())
        paintCanvas();
    QPainter painter(this);
    if (m_canvas.isNull())
        painter.fillRect(event->rect(), palette().color(backgroundRole()));
    else
        painter.drawImage(event->rect(), m_canvas, event->rect());
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

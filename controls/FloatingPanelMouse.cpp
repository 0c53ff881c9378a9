// The floating panel's mouse handling: the bar's cursor, the resize drag, the close button
// and the handle drag.
#include "FloatingPanel.h"

#include "platform/ScreenFeedback.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QtMath>

namespace {

// Every hit test of the panel counts all four edges as inside.
bool pointInRect(const QRect &rect, QPoint point)
{
    return point.x() >= rect.x() && point.x() <= rect.x() + rect.width() && point.y() >= rect.y() &&
           point.y() <= rect.y() + rect.height();
}

// A point inside pixel (x, y) belongs to that pixel, also at fractional positions.
QPoint pixelAt(const QPointF &position)
{
    return QPoint(qFloor(position.x()), qFloor(position.y()));
}

} // namespace

void TFloatingPanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    // One drag at a time: each ends with exactly one release of what it took.
    if (m_resizing || m_closePressed || m_dragging)
        return;
    const QPoint point = pixelAt(event->position());
    QWidget *host = parentWidget();

    if (!m_floating && hasBar() && host && pointInRect(m_barRect, point)) {
        grabMouse();
        watchForModalWindows();
        m_screenDC = std::make_unique<ScreenFeedback>();
        m_splitStartRect = m_barRect.translated(mapToGlobal(QPoint(0, 0)));
        m_splitRect = m_splitStartRect;
        setSizingCursor();
        m_screenDC->DrawFocusRect(m_splitRect);
        m_splitDownPoint = point;
        m_resizing = true;
        // The bar may travel over the whole client area of the parent.
        const QPoint origin = host->mapToGlobal(QPoint(0, 0));
        if (m_align == alLeft || m_align == alRight) {
            m_splitMin = origin.x();
            m_splitMax = origin.x() + host->width();
        } else {
            m_splitMin = origin.y();
            m_splitMax = origin.y() + host->height();
        }
        return;
    }

    if (!m_floating && m_closeButton && pointInRect(m_closeRect, point)) {
        m_closePressed = true;
        watchForModalWindows();
        update(m_closeRect);
        return;
    }

    if (!m_floating && handleBand() > 0 && pointInRect(m_handleRect, point)) {
        m_dragging = true;
        m_dragDownPoint = mapToGlobal(point);
        m_dragRect = QRect(host ? host->mapToGlobal(pos()) : mapToGlobal(QPoint(0, 0)), size());
        m_dragStartRect = m_dragRect;
        grabMouse();
        watchForModalWindows();
        m_screenDC = std::make_unique<ScreenFeedback>();
        DrawDragFrame(m_dragRect);
    }
}

void TFloatingPanel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint point = pixelAt(event->position());
    if (!m_resizing)
        UpdateCursor(point);

    if (m_resizing) {
        // Only the dotted rectangle moves; the size changes once, at the release.
        m_screenDC->DrawFocusRect(m_splitRect);
        if (m_align == alLeft || m_align == alRight) {
            const int extent = m_splitStartRect.width();
            int left = point.x() - m_splitDownPoint.x() + m_splitStartRect.left();
            if (m_splitMin > left)
                left = m_splitMin;
            if (left + extent > m_splitMax)
                left = m_splitMax - extent;
            m_splitRect.moveLeft(left);
        } else {
            const int extent = m_splitStartRect.height();
            int top = point.y() - m_splitDownPoint.y() + m_splitStartRect.top();
            if (m_splitMin > top)
                top = m_splitMin;
            if (top + extent > m_splitMax)
                top = m_splitMax - extent;
            m_splitRect.moveTop(top);
        }
        m_screenDC->DrawFocusRect(m_splitRect);
    }

    if (m_dragging) {
        DrawDragFrame(m_dragRect);
        m_dragRect = m_dragStartRect.translated(mapToGlobal(point) - m_dragDownPoint);
        DrawDragFrame(m_dragRect);
    }
}

void TFloatingPanel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // A press starts at most one of the three, and the handlers run last: a handler may
    // well destroy the panel.
    if (m_resizing) {
        const int dx = m_splitRect.left() - m_splitStartRect.left();
        const int dy = m_splitRect.top() - m_splitStartRect.top();
        endDrag();
        switch (m_align) {
        case alLeft:
            resize(width() + dx, height());
            break;
        case alRight:
            resize(width() - dx, height());
            break;
        case alTop:
            resize(width(), height() + dy);
            break;
        case alBottom:
            resize(width(), height() - dy);
            break;
        default:
            break;
        }
        resetCursor();
        emit OnSplit();
        return;
    }

    if (m_closePressed) {
        // Wherever the pointer is now. The glyph shows until the panel goes.
        m_closePressed = false;
        window()->removeEventFilter(this);
        m_closeGlyph = true;
        repaint(m_closeRect);
        m_closeGlyph = false;
        HidePanel();
        return;
    }

    if (m_dragging) {
        endDrag();
        FloatAt(m_dragRect.topLeft());
    }
}

void TFloatingPanel::watchForModalWindows()
{
    if (window() != this)
        window()->installEventFilter(this);
}

// Every way out of a resize or handle drag comes here: the feedback is erased and the
// capture released exactly once.
void TFloatingPanel::endDrag()
{
    if (m_resizing)
        m_screenDC->DrawFocusRect(m_splitRect);
    else
        DrawDragFrame(m_dragRect);
    m_resizing = false;
    m_dragging = false;
    releaseMouse();
    window()->removeEventFilter(this);
    m_screenDC.reset();
}

// A modal window opened meanwhile (a box shown for a socket event) takes the release away:
// the drag, or the press on the close button, ends there, changing nothing.
void TFloatingPanel::cancelDrag()
{
    if (m_closePressed) {
        m_closePressed = false;
        window()->removeEventFilter(this);
        update(m_closeRect);
        return;
    }
    if (!m_resizing && !m_dragging)
        return;
    endDrag();
    resetCursor();
}

bool TFloatingPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter && watched->parent() == this)
        pointerLeft();
    if (event->type() == QEvent::WindowBlocked && watched == window())
        cancelDrag();
    return QWidget::eventFilter(watched, event);
}

void TFloatingPanel::DrawDragFrame(const QRect &rect)
{
    m_screenDC->DrawFocusRect(rect);
    m_screenDC->DrawFocusRect(rect.adjusted(1, 1, -1, -1));
    m_screenDC->DrawFocusRect(rect.adjusted(2, 2, -2, -2));
}

void TFloatingPanel::enterEvent(QEnterEvent *event)
{
    // The sizing arrow stays for the whole of a resize drag.
    if (!m_resizing)
        UpdateCursor(pixelAt(event->position()));
    QWidget::enterEvent(event);
}

void TFloatingPanel::leaveEvent(QEvent *event)
{
    pointerLeft();
    QWidget::leaveEvent(event);
}

void TFloatingPanel::pointerLeft()
{
    if (!m_resizing)
        resetCursor();
}

void TFloatingPanel::UpdateCursor(QPoint point)
{
    if (m_floating)
        return;
    if (hasBar() && pointInRect(m_barRect, point))
        setSizingCursor();
    else
        resetCursor();
}

void TFloatingPanel::setSizingCursor()
{
    // The application-wide override is one cursor, not a stack that grows with every move.
    const Qt::CursorShape shape =
        m_align == alLeft || m_align == alRight ? Qt::SizeHorCursor : Qt::SizeVerCursor;
    const QCursor *current = QGuiApplication::overrideCursor();
    if (!m_cursorSet || !current) {
        QGuiApplication::setOverrideCursor(QCursor(shape));
        m_cursorSet = true;
    } else if (current->shape() != shape) {
        QGuiApplication::changeOverrideCursor(QCursor(shape));
    }
}

void TFloatingPanel::resetCursor()
{
    if (m_cursorSet && QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    m_cursorSet = false;
}

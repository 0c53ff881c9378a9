// The painting of the floating panel.
#include "FloatingPanel.h"

#include "game/RoundHalfEven.h"
#include "platform/DrawEdge.h"

#include <QPainter>

void TFloatingPanel::paintEvent(QPaintEvent *)
{
    // Neither the base panel's bevel nor its caption is ever drawn.
    QPainter canvas(this);
    canvas.fillRect(rect(), palette().color(QPalette::Button));
    if (!m_floating && hasBar())
        DrawRaised(canvas, m_barRect);
    if (m_bevel)
        DrawRaised(canvas, m_bevelRect);
    if (!m_floating)
        DrawHandle(canvas, m_handleRect);
    if (m_closeGlyph)
        DrawFrameControl(canvas, m_closeRect, DFC_CAPTION, DFCS_CAPTIONCLOSE);
}

void TFloatingPanel::DrawRaised(QPainter &canvas, const QRect &rect)
{
    DrawEdge(canvas, rect, BDR_RAISEDINNER, BF_RECT);
}

void TFloatingPanel::DrawHandle(QPainter &canvas, const QRect &rect)
{
    if (!m_closeButton) {
        DrawGrip(canvas, rect);
        return;
    }
    // The button takes the far end of a horizontal band and the top of a vertical one.
    QRect grip = rect;
    if (m_handleOrientation == hoTop || m_handleOrientation == hoBottom)
        grip.setWidth(rect.width() - 13);
    else
        grip.setTop(rect.top() + 13);
    DrawGrip(canvas, grip);
    DrawCloseButton(canvas, m_closeRect);
}

void TFloatingPanel::DrawGrip(QPainter &canvas, const QRect &rect)
{
    if (m_handleType == htNone)
        return;
    const int t = handleGeometry(m_handleType).thickness;
    // The strip is centred across the band.
    if (m_handleOrientation == hoTop || m_handleOrientation == hoBottom) {
        const int offset = roundHalfEven((rect.height() - t) * 0.5);
        DrawGripBars(canvas, QRect(rect.left(), rect.top() + offset, rect.width(), t));
    } else {
        const int offset = roundHalfEven((rect.width() - t) * 0.5);
        DrawGripBars(canvas, QRect(rect.left() + offset, rect.top(), t, rect.height()));
    }
}

void TFloatingPanel::DrawGripBars(QPainter &canvas, const QRect &strip)
{
    const HandleGeometry geometry = handleGeometry(m_handleType);
    if (geometry.bars == 2) {
        const int half = roundHalfEven((geometry.thickness - 1) * 0.5);
        if (m_handleOrientation == hoTop || m_handleOrientation == hoBottom) {
            DrawRaised(canvas, QRect(strip.left(), strip.top(), strip.width(), half));
            DrawRaised(canvas, QRect(strip.left(), strip.top() + half + 1, strip.width(), half));
        } else {
            DrawRaised(canvas, QRect(strip.left(), strip.top(), half, strip.height()));
            DrawRaised(canvas, QRect(strip.left() + half + 1, strip.top(), half, strip.height()));
        }
    }
    DrawRaised(canvas, strip);
}

void TFloatingPanel::DrawCloseButton(QPainter &canvas, const QRect &rect)
{
    DrawEdge(canvas, rect, m_closePressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
}

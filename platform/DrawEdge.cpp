#include "DrawEdge.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace {

// One edge of one pixel on the sides in flags.
void drawFrame(QPainter &canvas, const QRect &r, const QColor &topLeft, const QColor &bottomRight,
               unsigned flags)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (flags & BF_TOP)
        canvas.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
    if (flags & BF_LEFT)
        canvas.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
    if (flags & BF_BOTTOM)
        canvas.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
    if (flags & BF_RIGHT)
        canvas.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
}

} // namespace

bool DrawEdge(QPainter &canvas, const QRect &rect, unsigned edge, unsigned flags)
{
    const unsigned outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    const unsigned inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    // Both kinds at once on the same ring is not an edge.
    if (edge == 0 || (edge & ~0xFu) || outer == (BDR_RAISEDOUTER | BDR_SUNKENOUTER) ||
        inner == (BDR_RAISEDINNER | BDR_SUNKENINNER))
        return false;
    const QPalette palette = QApplication::palette();
    const QColor light = palette.color(QPalette::Light);
    const QColor midlight = palette.color(QPalette::Midlight);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor shadow = palette.color(QPalette::Shadow);
    if (outer == BDR_RAISEDOUTER)
        drawFrame(canvas, rect, midlight, shadow, flags);
    else if (outer == BDR_SUNKENOUTER)
        drawFrame(canvas, rect, dark, light, flags);
    // The inner edge moves in only on the sides that have an outer one.
    QRect r = rect;
    if (outer) {
        r.adjust(flags & BF_LEFT ? 1 : 0, flags & BF_TOP ? 1 : 0, flags & BF_RIGHT ? -1 : 0,
                 flags & BF_BOTTOM ? -1 : 0);
    }
    if (inner == BDR_RAISEDINNER)
        drawFrame(canvas, r, light, dark, flags);
    else if (inner == BDR_SUNKENINNER)
        drawFrame(canvas, r, shadow, midlight, flags);
    return true;
}

bool DrawFrameControl(QPainter &canvas, const QRect &rect, unsigned type, unsigned state)
{
    if (type != DFC_CAPTION || state != DFCS_CAPTIONCLOSE)
        return false;
    if (rect.width() <= 0 || rect.height() <= 0)
        return true;
    const QPalette palette = QApplication::palette();
    canvas.fillRect(rect, palette.color(QPalette::Button));
    DrawEdge(canvas, rect, EDGE_RAISED, BF_RECT);

    // The cross: two diagonals two pixels thick in a square centred on the face, one pixel
    // clear of the edges.
    const QRect face = rect.adjusted(3, 3, -3, -3);
    const int side = std::min(face.width(), face.height()) - 1;
    if (side < 2)
        return true;
    const int left = face.left() + (face.width() - side - 1) / 2;
    const int top = face.top() + (face.height() - side) / 2;
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setPen(palette.color(QPalette::ButtonText));
    for (int dx = 0; dx < 2; ++dx) {
        canvas.drawLine(left + dx, top, left + dx + side - 1, top + side - 1);
        canvas.drawLine(left + dx + side - 1, top, left + dx, top + side - 1);
    }
    canvas.restore();
    return true;
}

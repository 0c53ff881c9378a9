#pragma once

#include <QRect>

class QPainter;

// Edge kinds of DrawEdge: one pixel each, the outer one on the rectangle, the inner one
// just inside it.
constexpr unsigned BDR_RAISEDOUTER = 0x0001;
constexpr unsigned BDR_SUNKENOUTER = 0x0002;
constexpr unsigned BDR_RAISEDINNER = 0x0004;
constexpr unsigned BDR_SUNKENINNER = 0x0008;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;

// Sides of DrawEdge.
constexpr unsigned BF_LEFT = 0x0001;
constexpr unsigned BF_TOP = 0x0002;
constexpr unsigned BF_RIGHT = 0x0004;
constexpr unsigned BF_BOTTOM = 0x0008;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// Kinds and states of DrawFrameControl.
constexpr unsigned DFC_CAPTION = 1;
constexpr unsigned DFCS_CAPTIONCLOSE = 0x0000;

// Draws the 3-D edges of rect in the system colours: a raised edge is light on the left and
// top and dark on the right and bottom, a sunken one the other way round. The right and
// bottom lines own the two corners they share with the others. False for an unknown edge.
bool DrawEdge(QPainter &canvas, const QRect &rect, unsigned edge, unsigned flags);

// Draws a frame control filling rect: only the caption's close button is known, a raised
// button face carrying the close cross. False for any other kind or state.
bool DrawFrameControl(QPainter &canvas, const QRect &rect, unsigned type, unsigned state);

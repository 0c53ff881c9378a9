#include "game/BoardGeometry.h"

#include "game/Board.h"
#include "game/RoundHalfEven.h"

#include <algorithm>

namespace {

int cellExtent(int surfaceExtent, int cells)
{
    const int extent = std::clamp(surfaceExtent, 0, BoardGeometry::MaxExtent);
    return roundHalfEven(double(extent - BoardGeometry::Margin) / cells);
}

} // namespace

BoardGeometry::BoardGeometry(int width, int height)
    : m_columnWidth(cellExtent(width, TBoard::Columns)),
      m_rowHeight(cellExtent(height, TBoard::Rows))
{}

CellRect BoardGeometry::cellRect(int column, int row) const
{
    if (!TBoard::contains(column, row))
        return {};
    const int w = m_columnWidth;
    const int h = m_rowHeight;
    return {(column - 1) * w + Margin, (TBoard::Rows - row) * h + Margin, column * w,
            (TBoard::Rows + 1 - row) * h};
}

std::optional<CellPosition> BoardGeometry::hitTest(int x, int y) const
{
    // The rectangles never overlap, so the first hit is the only one.
    for (int column = 1; column <= TBoard::Columns; ++column) {
        for (int row = 1; row <= TBoard::Rows; ++row) {
            const CellRect rect = cellRect(column, row);
            if (rect.left <= x && x < rect.right && rect.top <= y && y < rect.bottom)
                return CellPosition{column, row};
        }
    }
    return std::nullopt;
}

PixelPoint BoardGeometry::linePoint(int column, int row) const
{
    if (!TBoard::contains(column, row))
        return {};
    const double w = m_columnWidth;
    const double h = m_rowHeight;
    return {roundHalfEven((column - 1) * w + Margin + w / 2),
            roundHalfEven((TBoard::Rows - row) * h + Margin + h / 2)};
}

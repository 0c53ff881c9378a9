#pragma once

#include <optional>

// A cell's rectangle in surface pixels; right and bottom are exclusive.
struct CellRect
{
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const CellRect &) const = default;
};

struct CellPosition
{
    int column;
    int row;
    bool operator==(const CellPosition &) const = default;
};

struct PixelPoint
{
    int x;
    int y;
    bool operator==(const PixelPoint &) const = default;
};

// Where the cells of the board lie on a drawing surface of the given size. Recomputed from
// scratch for every paint, click and winning line, so it always follows the current size.
class BoardGeometry
{
public:
    static constexpr int Margin = 5;
    // Larger sizes are treated as this; no widget gets bigger, and the edges stay in range.
    static constexpr int MaxExtent = 16777215;

    BoardGeometry(int width, int height);

    int columnWidth() const { return m_columnWidth; }
    int rowHeight() const { return m_rowHeight; }

    // Row 6 is at the top, column 1 on the left. Empty when the columns or rows are 5 pixels
    // or less; a cell outside the board gets an empty rectangle at the origin.
    CellRect cellRect(int column, int row) const;
    // The cell whose rectangle holds the point, or none for bands, margins and background.
    std::optional<CellPosition> hitTest(int x, int y) const;
    // Where a winning line through the cell starts or ends: 2.5 pixels right of and below the
    // centre of the cell's ellipse, rounded. The origin for a cell outside the board.
    PixelPoint linePoint(int column, int row) const;

private:
    int m_columnWidth;
    int m_rowHeight;
};

#include "game/Board.h"

namespace {

struct Scan
{
    int columnStep;
    int rowStep;
    int firstColumn;
    int lastColumn;
    int firstRow;
    int lastRow;
};

// The order matters: lines are reported, and drawn, in exactly this order.
constexpr Scan scans[] = {
    {0, 1, 1, 7, 1, 3},  // vertical, upwards
    {1, 0, 1, 4, 1, 6},  // horizontal, rightwards
    {1, 1, 1, 4, 1, 3},  // rising diagonal
    {1, -1, 1, 4, 4, 6}, // falling diagonal
};

constexpr int lineLength = 4;

} // namespace

bool TBoard::contains(int column, int row)
{
    return column >= 1 && column <= Columns && row >= 1 && row <= Rows;
}

std::int32_t TBoard::cell(int column, int row) const
{
    return contains(column, row) ? m_cells[indexOf(column, row)] : cellEmpty;
}

void TBoard::clear()
{
    m_cells.fill(cellEmpty);
}

bool TBoard::acceptsDropAt(int column, int row) const
{
    if (!contains(column, row) || cell(column, row) != cellEmpty)
        return false;
    return row == 1 || cell(column, row - 1) != cellEmpty;
}

bool TBoard::dropAt(int column, int row, std::int32_t player)
{
    if (!isPiece(player) || !acceptsDropAt(column, row))
        return false;
    m_cells[indexOf(column, row)] = player;
    return true;
}

int TBoard::freeRow(int column) const
{
    if (!contains(column, 1))
        return 0;
    for (int row = 1; row <= Rows; ++row) {
        if (cell(column, row) == cellEmpty)
            return row;
    }
    return 0;
}

int TBoard::dropInto(int column, std::int32_t player)
{
    const int row = isPiece(player) ? freeRow(column) : 0;
    if (row > 0)
        m_cells[indexOf(column, row)] = player;
    return row;
}

bool TBoard::isFull() const
{
    for (int column = 1; column <= Columns; ++column) {
        if (freeRow(column) != 0)
            return false;
    }
    return true;
}

bool TBoard::scanWins(std::int32_t player, const LineFound &onLine) const
{
    // Empty windows are no line, whatever the caller passes.
    if (!isPiece(player))
        return false;
    bool found = false;
    for (const Scan &scan : scans) {
        const int dc = scan.columnStep;
        const int dr = scan.rowStep;
        for (int column = scan.firstColumn; column <= scan.lastColumn; ++column) {
            for (int row = scan.firstRow; row <= scan.lastRow; ++row) {
                bool matches = true;
                for (int step = 0; step < lineLength; ++step)
                    matches = matches && cell(column + step * dc, row + step * dr) == player;
                if (!matches)
                    continue;
                found = true;
                const int last = lineLength - 1;
                if (onLine)
                    onLine(column, row, column + last * dc, row + last * dr);
            }
        }
    }
    return found;
}

bool TBoard::inLine(int column, int row) const
{
    bool inside = false;
    scanWins(cell(column, row), [&](int column1, int row1, int column2, int row2) {
        const int dc = (column2 > column1) - (column2 < column1);
        const int dr = (row2 > row1) - (row2 < row1);
        for (int step = 0; step < lineLength; ++step)
            inside = inside || (column1 + step * dc == column && row1 + step * dr == row);
    });
    return inside;
}

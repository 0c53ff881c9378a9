#pragma once

#include <array>
#include <cstdint>
#include <functional>

// Cell values. The same piece is cellMine on the copy that dropped it and cellTheirs on the
// other copy.
constexpr std::int32_t cellEmpty = 0;
constexpr std::int32_t cellMine = 1;
constexpr std::int32_t cellTheirs = 2;

// The position of the current game: 7 columns by 6 rows, Board[column][row] with both indices
// starting at 1, row 1 at the bottom. Every access is range-checked, so a column or row from
// the network or a click can never reach outside the board.
class TBoard
{
public:
    static constexpr int Columns = 7;
    static constexpr int Rows = 6;

    // Receives a winning window as (first column, first row, last column, last row).
    using LineFound = std::function<void(int, int, int, int)>;

    static bool contains(int column, int row);

    // cellEmpty for a cell outside the board.
    std::int32_t cell(int column, int row) const;
    void clear();

    // Local drop rule: the named cell takes a piece only if it is the lowest free cell of its
    // column.
    bool acceptsDropAt(int column, int row) const;
    // Stores player's piece when acceptsDropAt holds; returns whether it did.
    bool dropAt(int column, int row, std::int32_t player);
    // The lowest empty cell of the column, or 0 when it is full or does not exist.
    int freeRow(int column) const;
    // Remote drop rule: the lowest empty cell of the column takes the piece. Returns its row,
    // or 0 when the column is full or does not exist.
    int dropInto(int column, std::int32_t player);
    // Whether every cell holds a piece: no move is left.
    bool isFull() const;

    // Looks for every line of four of player's pieces: vertical, horizontal, rising and falling
    // windows in this order, each scanned by start column, then start row. Calls onLine at
    // once for each matching window, overlapping ones included, and returns whether any
    // matched.
    bool scanWins(std::int32_t player, const LineFound &onLine) const;
    // Whether the cell's piece is part of a line of four.
    bool inLine(int column, int row) const;

private:
    static bool isPiece(std::int32_t value) { return value == cellMine || value == cellTheirs; }
    static int indexOf(int column, int row) { return (column - 1) * Rows + (row - 1); }

    // Column by column: the six cells of column 1 from row 1 up, then column 2, and so on.
    std::array<std::int32_t, Columns * Rows> m_cells{};
};

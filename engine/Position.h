#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace engine {

// A 7 x 6 board as two bitboards: seven bits per column (six rows and one always empty guard
// bit above, so that shifted lines never wrap into the next column), bit 7 * column + row.
// `current` holds the stones of the side to move, `mask` all stones; key() is unique per
// position because current + mask sets the bit above each column's top stone.
class Position
{
public:
    static constexpr int Width = 7;
    static constexpr int Height = 6;
    static constexpr int Cells = Width * Height;
    // Exact scores from the side to move: positive wins, (Cells + 1 - moves) / 2 for a win
    // with its next stone, so sooner wins and later losses score higher.
    static constexpr int MinScore = -Cells / 2 + 3;
    static constexpr int MaxScore = (Cells + 1) / 2 - 3;

    // Columns are 0..6 here.
    bool canPlay(int column) const { return (mask & topMask(column)) == 0; }
    void play(int column) { playBit((mask + bottomMask(column)) & columnMask(column)); }
    // move is a single bit from possible().
    void playBit(std::uint64_t move)
    {
        current ^= mask;
        mask |= move;
        ++count;
    }
    bool isWinningMove(int column) const
    {
        return (winningCells() & possible() & columnMask(column)) != 0;
    }
    bool canWinNext() const { return (winningCells() & possible()) != 0; }
    int moves() const { return count; }

    std::uint64_t key() const { return current + mask; }
    std::uint64_t mirroredKey() const { return mirror(current) + mirror(mask); }
    std::uint64_t canonicalKey() const
    {
        const std::uint64_t a = key();
        const std::uint64_t b = mirroredKey();
        return a < b ? a : b;
    }

    // The same position seen in a mirror: column c becomes column Width - 1 - c.
    Position mirrored() const
    {
        Position m;
        m.current = mirror(current);
        m.mask = mirror(mask);
        m.count = count;
        return m;
    }

    // Playable cells whose stone does not hand the opponent an immediate win; empty when every
    // move loses. Assumes the side to move cannot win at once.
    std::uint64_t nonLosingMoves() const
    {
        std::uint64_t moves = possible();
        const std::uint64_t threats = opponentWinningCells();
        const std::uint64_t forced = moves & threats;
        if (forced) {
            if (forced & (forced - 1))
                return 0; // two immediate threats: nothing saves us
            moves = forced;
        }
        return moves & ~(threats >> 1); // never play just below an opponent's winning cell
    }

    // Threats the side to move would own after playing move: ordering weight.
    int moveScore(std::uint64_t move) const
    {
        return std::popcount(winningCells(current | move, mask));
    }

    std::uint64_t possible() const { return (mask + BottomMask) & BoardMask; }
    std::uint64_t winningCells() const { return winningCells(current, mask); }
    std::uint64_t opponentWinningCells() const { return winningCells(current ^ mask, mask); }
    std::uint64_t currentStones() const { return current; }
    std::uint64_t allStones() const { return mask; }

    // Empty cells that would complete four for the stones `own`.
    static std::uint64_t winningCells(std::uint64_t own, std::uint64_t occupied)
    {
        // vertical
        std::uint64_t r = (own << 1) & (own << 2) & (own << 3);
        // horizontal, then the two diagonals
        for (int shift : {Height + 1, Height, Height + 2}) {
            std::uint64_t p = (own << shift) & (own << 2 * shift);
            r |= p & (own << 3 * shift);
            r |= p & (own >> shift);
            p = (own >> shift) & (own >> 2 * shift);
            r |= p & (own << shift);
            r |= p & (own >> 3 * shift);
        }
        return r & (BoardMask ^ occupied);
    }
    static bool hasFour(std::uint64_t own)
    {
        for (int shift : {1, Height + 1, Height, Height + 2}) {
            const std::uint64_t m = own & (own >> shift);
            if (m & (m >> 2 * shift))
                return true;
        }
        return false;
    }

    static constexpr std::uint64_t bottomMask(int column) { return std::uint64_t(1) << column * 7; }
    static constexpr std::uint64_t topMask(int column)
    {
        return std::uint64_t(1) << (Height - 1 + column * 7);
    }
    static constexpr std::uint64_t columnMask(int column)
    {
        return ((std::uint64_t(1) << Height) - 1) << column * 7;
    }
    static std::uint64_t mirror(std::uint64_t bits)
    {
        std::uint64_t r = 0;
        for (int c = 0; c < Width; ++c)
            r |= ((bits >> c * 7) & 0x7f) << (Width - 1 - c) * 7;
        return r;
    }

    static constexpr std::uint64_t BottomMask = 0x0040810204081ull;
    static constexpr std::uint64_t BoardMask = BottomMask * ((1ull << Height) - 1);

private:
    std::uint64_t current = 0;
    std::uint64_t mask = 0;
    int count = 0;
};

// Replays columns 1..7; false when a move is illegal or comes after a four.
bool replay(const std::vector<int> &moves, Position &position);

} // namespace engine

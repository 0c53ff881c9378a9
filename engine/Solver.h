#pragma once

#include "engine/Position.h"
#include "engine/TranspositionTable.h"

#include <chrono>
#include <optional>

namespace engine {

using Clock = std::chrono::steady_clock;

// Where a search gives up: at a time, or after a number of nodes (which makes a search repeat
// exactly whatever the machine's load, as the tests need). Checked every few thousand nodes.
struct Limit
{
    Limit(Clock::time_point deadline = Clock::time_point::max()) : deadline(deadline) {}
    static Limit nodes(std::uint64_t count)
    {
        Limit limit;
        limit.nodeCount = count;
        return limit;
    }
    bool reached(std::uint64_t nodesSoFar, std::uint64_t start) const
    {
        return nodesSoFar - start >= nodeCount || Clock::now() >= deadline;
    }

    Clock::time_point deadline;
    std::uint64_t nodeCount = ~std::uint64_t(0);
};

// Exact game-theoretic values by negamax with alpha-beta, null-window narrowing and a table
// of bounds. Scores follow Position::MinScore..MaxScore; the table survives between calls
// because its bounds stay true for every later position.
class Solver
{
public:
    struct Move
    {
        int column; // 0..6
        int score;
    };

    explicit Solver(std::size_t tableSlots);

    // The exact score (or only its sign, -1/0/1, when weak), or nothing if the limit came
    // first. The side to move may be able to win at once.
    std::optional<int> solve(const Position &position, bool weak, Limit limit = {});
    // A move of the best exact score: soonest win, latest loss. When weak, a move of the best
    // sign, with the sign as its score; for a lost position then just a legal move. The
    // position has a legal move.
    std::optional<Move> bestMove(const Position &position, Limit limit = {}, bool weak = false);

    std::uint64_t nodes() const { return nodeCount; }
    std::size_t tableBytes() const { return table.bytes(); }

private:
    int negamax(const Position &position, int alpha, int beta);
    std::optional<int> narrow(const Position &position, int min, int max);

    TranspositionTable table;
    Limit limit;
    std::uint64_t startCount = 0;
    std::uint64_t nodeCount = 0;
    bool aborted = false;
};

// Columns from the centre outwards: central stones take part in more lines.
inline constexpr int CentreFirst[Position::Width] = {3, 2, 4, 1, 5, 0, 6};

// Up to seven moves sorted by descending weight, ties kept in insertion order.
class MoveList
{
public:
    void add(std::uint64_t move, int weight, int column)
    {
        int i = size++;
        for (; i > 0 && entries[i - 1].weight < weight; --i)
            entries[i] = entries[i - 1];
        entries[i] = {move, weight, column};
    }
    struct Entry
    {
        std::uint64_t move;
        int weight;
        int column;
    };
    const Entry *begin() const { return entries; }
    const Entry *end() const { return entries + size; }
    int count() const { return size; }

private:
    Entry entries[Position::Width] = {};
    int size = 0;
};

} // namespace engine

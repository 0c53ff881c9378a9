#pragma once

#include "engine/Position.h"
#include "engine/TranspositionTable.h"

#include <chrono>
#include <optional>

namespace engine {

using Clock = std::chrono::steady_clock;

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

    // The exact score (or only its sign, -1/0/1, when weak), or nothing if the deadline came
    // first. The side to move may be able to win at once.
    std::optional<int> solve(const Position &position, bool weak,
                             Clock::time_point deadline = Clock::time_point::max());
    // A move of the best exact score: soonest win, latest loss. The position has a legal move.
    std::optional<Move> bestMove(const Position &position,
                                 Clock::time_point deadline = Clock::time_point::max());

    std::uint64_t nodes() const { return nodeCount; }
    std::size_t tableBytes() const { return table.bytes(); }

private:
    int negamax(const Position &position, int alpha, int beta);
    std::optional<int> narrow(const Position &position, int min, int max);

    TranspositionTable table;
    Clock::time_point deadline;
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

#pragma once

#include "engine/Solver.h"

#include <array>
#include <optional>
#include <vector>

namespace engine {

// Depth-limited negamax with alpha-beta, a table of bounds and best moves, and a static
// evaluation where the search stops. Proven results score beyond Proven: a win with more
// cells left scores higher, a loss with more cells left lower.
class HeuristicSearch
{
public:
    static constexpr int Proven = 10000;

    explicit HeuristicSearch(std::size_t tableSlots);

    struct Result
    {
        int column; // 0..6
        int score;
        int depth;
    };
    // Deepens until the limit or maxDepth; the best move of the deepest finished depth.
    // Nothing only when not even depth 1 finished. The side to move cannot win at once.
    std::optional<Result> iterate(const Position &position, Limit limit, int maxDepth);
    // The score of each legal move searched depth plies deep; unplayable columns empty.
    std::array<std::optional<int>, Position::Width> moveScores(const Position &position, int depth);
    // From the side to move: threats weighted by the rows that favour their owner, lines still
    // open and central stones.
    static int evaluate(const Position &position);

private:
    struct Entry
    {
        std::uint64_t key = 0;
        std::int16_t score = 0;
        std::uint8_t depth = 0;
        std::uint8_t bound = 0;
        std::uint8_t column = 0;
    };
    int negamax(const Position &position, int depth, int alpha, int beta);
    int rootSearch(const Position &position, int depth, std::array<int, Position::Width> &order);

    std::vector<Entry> table;
    Limit limit;
    std::uint64_t startCount = 0;
    std::uint64_t nodeCount = 0;
    bool aborted = false;
};

} // namespace engine

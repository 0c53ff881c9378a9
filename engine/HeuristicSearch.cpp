#include "engine/HeuristicSearch.h"

#include <algorithm>

namespace engine {

namespace {

enum Bound : std::uint8_t { Exact = 1, Lower, Upper };

constexpr std::uint64_t OddRows = Position::BottomMask * 0x15;  // rows 1, 3, 5 from below
constexpr std::uint64_t EvenRows = Position::BottomMask * 0x2a; // rows 2, 4, 6

// The 69 lines of four on the board.
struct Lines
{
    std::uint64_t masks[69] = {};
    int count = 0;
    constexpr Lines()
    {
        const int steps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}}; // column, row
        for (const auto &step : steps) {
            for (int c = 0; c < Position::Width; ++c) {
                for (int r = 0; r < Position::Height; ++r) {
                    const int ec = c + 3 * step[0];
                    const int er = r + 3 * step[1];
                    if (ec < 0 || ec >= Position::Width || er < 0 || er >= Position::Height)
                        continue;
                    std::uint64_t m = 0;
                    for (int i = 0; i < 4; ++i)
                        m |= std::uint64_t(1) << ((c + i * step[0]) * 7 + r + i * step[1]);
                    masks[count++] = m;
                }
            }
        }
    }
};
constexpr Lines AllLines;

int provenWin(const Position &position, int plies)
{
    return HeuristicSearch::Proven + (Position::Cells - position.moves() - plies);
}

} // namespace

HeuristicSearch::HeuristicSearch(std::size_t tableSlots)
    : table(std::max<std::size_t>(tableSlots, 1))
{}

int HeuristicSearch::evaluate(const Position &position)
{
    const std::uint64_t mine = position.currentStones();
    const std::uint64_t all = position.allStones();
    const std::uint64_t theirs = mine ^ all;
    // The side that began profits from threats on odd rows, the other from even rows.
    const bool began = position.moves() % 2 == 0;
    const std::uint64_t myRows = began ? OddRows : EvenRows;
    const std::uint64_t theirRows = began ? EvenRows : OddRows;
    const std::uint64_t myThreats = Position::winningCells(mine, all);
    const std::uint64_t theirThreats = Position::winningCells(theirs, all);
    int score = 12 * std::popcount(myThreats & myRows) + 6 * std::popcount(myThreats & theirRows) -
                12 * std::popcount(theirThreats & theirRows) -
                6 * std::popcount(theirThreats & myRows);
    // A threat directly above one of the opponent's is worth little: it can never be reached.
    score -= 4 * std::popcount(myThreats & (theirThreats << 1));
    score += 4 * std::popcount(theirThreats & (myThreats << 1));
    for (int i = 0; i < AllLines.count; ++i) {
        const std::uint64_t line = AllLines.masks[i];
        if ((line & theirs) == 0)
            score += std::popcount(line & mine) == 2 ? 2 : (line & mine) ? 1 : 0;
        else if ((line & mine) == 0)
            score -= std::popcount(line & theirs) == 2 ? 2 : 1;
    }
    const std::uint64_t centre = Position::columnMask(3);
    score += 3 * (std::popcount(mine & centre) - std::popcount(theirs & centre));
    return score;
}

// The side to move cannot win at once (callers check it first).
int HeuristicSearch::negamax(const Position &position, int depth, int alpha, int beta)
{
    if ((++nodeCount & 1023) == 0 && limit.reached(nodeCount, startCount))
        aborted = true;
    if (aborted)
        return 0;
    const std::uint64_t next = position.nonLosingMoves();
    if (next == 0)
        return -provenWin(position, 2);
    if (position.moves() >= Position::Cells - 2)
        return 0; // the last two stones cannot make a four here
    if (depth == 0)
        return evaluate(position);

    const std::uint64_t key = position.key();
    Entry &entry = table[key % table.size()];
    int hashColumn = -1;
    if (entry.key == key) {
        hashColumn = entry.column;
        if (entry.depth >= depth) {
            const int s = entry.score;
            if (entry.bound == Exact || (entry.bound == Lower && s >= beta) ||
                (entry.bound == Upper && s <= alpha))
                return s;
        }
    }

    MoveList list;
    for (int column : CentreFirst) {
        if (const std::uint64_t move = next & Position::columnMask(column)) {
            const int weight = column == hashColumn ? 100 : position.moveScore(move);
            list.add(move, weight, column);
        }
    }
    const int originalAlpha = alpha;
    int best = -2 * Proven;
    int bestColumn = list.begin()->column;
    for (const MoveList::Entry &move : list) {
        Position child = position;
        child.playBit(move.move);
        const int score = -negamax(child, depth - 1, -beta, -alpha);
        if (aborted)
            return 0;
        if (score > best) {
            best = score;
            bestColumn = move.column;
        }
        alpha = std::max(alpha, score);
        if (alpha >= beta)
            break;
    }
    entry.key = key;
    entry.score = std::int16_t(best);
    entry.depth = std::uint8_t(depth);
    entry.column = std::uint8_t(bestColumn);
    entry.bound = best <= originalAlpha ? Upper : best >= beta ? Lower : Exact;
    return best;
}

int HeuristicSearch::rootSearch(const Position &position, int depth,
                                std::array<int, Position::Width> &order)
{
    // order holds the columns to try, best first; -1 ends the list. On return its first
    // column is the best found.
    int alpha = -2 * Proven;
    int best = alpha;
    for (int i = 0; i < Position::Width && order[i] >= 0; ++i) {
        Position child = position;
        child.play(order[i]);
        const int score = child.canWinNext() ? -provenWin(child, 1)
                                             : -negamax(child, depth - 1, -2 * Proven, -alpha);
        if (aborted)
            return 0;
        if (score > best) {
            best = score;
            std::rotate(order.begin(), order.begin() + i, order.begin() + i + 1);
        }
        alpha = std::max(alpha, score);
    }
    return best;
}

std::optional<HeuristicSearch::Result> HeuristicSearch::iterate(const Position &position,
                                                                Limit until, int maxDepth)
{
    limit = until;
    startCount = nodeCount;
    aborted = false;
    std::array<int, Position::Width> order;
    order.fill(-1);
    std::uint64_t next = position.nonLosingMoves();
    if (next == 0)
        next = position.possible(); // lost anyway: any legal move
    int n = 0;
    for (int column : CentreFirst) {
        if (next & Position::columnMask(column))
            order[n++] = column;
    }
    std::optional<Result> result;
    const int limit = std::min(maxDepth, Position::Cells - position.moves());
    for (int depth = 1; depth <= limit; ++depth) {
        const int score = rootSearch(position, depth, order);
        if (aborted)
            break;
        result = Result{order[0], score, depth};
        if (score >= Proven || score <= -Proven)
            break; // proven: deeper search cannot change the outcome
    }
    return result;
}

std::array<std::optional<int>, Position::Width>
HeuristicSearch::moveScores(const Position &position, int depth)
{
    limit = Limit();
    aborted = false;
    std::array<std::optional<int>, Position::Width> scores;
    for (int column = 0; column < Position::Width; ++column) {
        if (!position.canPlay(column))
            continue;
        if (position.isWinningMove(column)) {
            scores[column] = provenWin(position, 1);
            continue;
        }
        Position child = position;
        child.play(column);
        scores[column] = child.canWinNext() ? -provenWin(child, 1)
                                            : -negamax(child, depth - 1, -2 * Proven, 2 * Proven);
    }
    return scores;
}

} // namespace engine

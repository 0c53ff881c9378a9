#include "engine/Solver.h"

namespace engine {

namespace {

// Table values: upper bounds as 1..37, lower bounds above that.
constexpr int UpperOffset = 1 - Position::MinScore;
constexpr int LowerOffset = Position::MaxScore - 2 * Position::MinScore + 2;
constexpr int LowerThreshold = Position::MaxScore - Position::MinScore + 1;

int winScore(const Position &position)
{
    return (Position::Cells + 1 - position.moves()) / 2;
}

} // namespace

Solver::Solver(std::size_t tableSlots) : table(tableSlots) {}

// Assumes the side to move cannot win at once.
int Solver::negamax(const Position &position, int alpha, int beta)
{
    if ((++nodeCount & 4095) == 0 && limit.reached(nodeCount, startCount))
        aborted = true;
    if (aborted)
        return 0;
    const std::uint64_t next = position.nonLosingMoves();
    if (next == 0)
        return -(Position::Cells - position.moves()) / 2;
    if (position.moves() >= Position::Cells - 2)
        return 0;

    int min = -(Position::Cells - 2 - position.moves()) / 2;
    if (alpha < min) {
        alpha = min;
        if (alpha >= beta)
            return alpha;
    }
    int max = (Position::Cells - 1 - position.moves()) / 2;
    if (beta > max) {
        beta = max;
        if (alpha >= beta)
            return beta;
    }
    const std::uint64_t key = position.key();
    if (const int value = table.get(key)) {
        if (value > LowerThreshold) {
            min = value - LowerOffset;
            if (alpha < min) {
                alpha = min;
                if (alpha >= beta)
                    return alpha;
            }
        } else {
            max = value - UpperOffset;
            if (beta > max) {
                beta = max;
                if (alpha >= beta)
                    return beta;
            }
        }
    }

    MoveList list;
    for (int column : CentreFirst) {
        if (const std::uint64_t move = next & Position::columnMask(column))
            list.add(move, position.moveScore(move), column);
    }
    for (const MoveList::Entry &entry : list) {
        Position child = position;
        child.playBit(entry.move);
        const int score = -negamax(child, -beta, -alpha);
        if (aborted)
            return 0;
        if (score >= beta) {
            table.put(key, std::uint8_t(score + LowerOffset));
            return score;
        }
        if (score > alpha)
            alpha = score;
    }
    table.put(key, std::uint8_t(alpha + UpperOffset));
    return alpha;
}

std::optional<int> Solver::narrow(const Position &position, int min, int max)
{
    // Null windows close in on the score; searching near zero first settles the sign cheaply.
    while (min < max) {
        int med = min + (max - min) / 2;
        if (med <= 0 && min / 2 < med)
            med = min / 2;
        else if (med >= 0 && max / 2 > med)
            med = max / 2;
        const int r = negamax(position, med, med + 1);
        if (aborted)
            return std::nullopt;
        if (r <= med)
            max = r;
        else
            min = r;
    }
    return min;
}

std::optional<int> Solver::solve(const Position &position, bool weak, Limit until)
{
    limit = until;
    startCount = nodeCount;
    aborted = false;
    if (position.canWinNext())
        return weak ? 1 : winScore(position);
    if (weak) {
        const std::optional<int> score = narrow(position, -1, 1);
        if (!score)
            return score;
        return *score > 0 ? 1 : *score < 0 ? -1 : 0;
    }
    return narrow(position, -(Position::Cells - position.moves()) / 2, winScore(position));
}

std::optional<Solver::Move> Solver::bestMove(const Position &position, Limit until, bool weak)
{
    const std::uint64_t next = position.nonLosingMoves();
    for (int column : CentreFirst) {
        if (position.canPlay(column) && position.isWinningMove(column))
            return Move{column, weak ? 1 : winScore(position)};
    }
    const std::optional<int> score = solve(position, weak, until);
    if (!score)
        return std::nullopt;
    // A weak loss says nothing about which move loses latest.
    const bool anyMove = next == 0 || (weak && *score < 0);
    for (int column : CentreFirst) {
        if (!position.canPlay(column))
            continue;
        if (anyMove && (next == 0 || (next & Position::columnMask(column))))
            return Move{column, *score};
        if (!(next & Position::columnMask(column)))
            continue;
        Position child = position;
        child.play(column);
        // Does this move reach the score? One null window, mostly answered by the table.
        const int r = -negamax(child, -*score, -*score + 1);
        if (aborted)
            return std::nullopt;
        if (r >= *score)
            return Move{column, *score};
    }
    return std::nullopt; // unreachable for a consistent table
}

} // namespace engine

#include "engine/Engine.h"

#include "engine/Book.h"
#include "engine/BookLocation.h"
#include "engine/HeuristicSearch.h"
#include "engine/Solver.h"

#include <memory>
#include <random>

namespace engine {

namespace {

// Strong's tables: 32 MiB of exact bounds and 8 MiB for the heuristic search.
constexpr std::size_t SolverSlots = std::size_t(1) << 22;
constexpr std::size_t StrongSearchSlots = std::size_t(1) << 19;
constexpr std::size_t MediumSearchSlots = std::size_t(1) << 16;
constexpr int MediumDepth = 5;
// Solves from fewer stones seldom finish within 500 ms on a current PC (see bench_engine).
constexpr int SolveFrom = 8;
// Medium picks at random among moves scoring this close to the best.
constexpr int MediumMargin = 8;

int column(int index)
{
    return index + 1;
}

} // namespace

struct Engine::Private
{
    Level level;
    std::mt19937_64 random;
    std::uint64_t nodeBudget = 0;
    Book book;
    std::unique_ptr<Solver> solver;
    std::unique_ptr<HeuristicSearch> search;

    int choose(const Position &position, Clock::time_point start, std::chrono::milliseconds budget);
    int strong(const Position &position, Clock::time_point start, std::chrono::milliseconds budget);
    // The given percentage of this move's time or nodes, counted from its start.
    Limit share(Clock::time_point start, std::chrono::milliseconds budget, int percent) const
    {
        if (nodeBudget)
            return Limit::nodes(nodeBudget * percent / 100);
        return Limit(start + budget * percent / 100);
    }
    int medium(const Position &position);
    int easy(const Position &position);
    int fromBook(const Position &position) const;
    int pick(const std::vector<int> &columns)
    {
        return columns[std::uniform_int_distribution<std::size_t>(0, columns.size() - 1)(random)];
    }
};

Engine::Engine(Level level, std::uint64_t seed)
    : d(new Private{level, std::mt19937_64(seed), 0, {}, {}, {}})
{
    if (level == Level::Strong) {
        const std::string path = findBookPath();
        if (!path.empty())
            d->book.load(path);
        d->solver = std::make_unique<Solver>(SolverSlots);
        d->search = std::make_unique<HeuristicSearch>(StrongSearchSlots);
    } else if (level == Level::Medium) {
        d->search = std::make_unique<HeuristicSearch>(MediumSearchSlots);
    }
}

Engine::~Engine()
{
    delete d;
}

void Engine::setNodeBudget(std::uint64_t nodes)
{
    d->nodeBudget = nodes;
}

int Engine::chooseMove(const std::vector<int> &moves, std::chrono::milliseconds budget)
{
    const Clock::time_point start = Clock::now();
    Position position;
    replay(moves, position); // a bad history leaves the position before its first bad move
    if (position.possible() == 0)
        return 1; // a full board has no move; the caller's contract excludes it
    // Strong searches one of each mirror pair, so mirrored games get mirrored answers.
    if (d->level == Level::Strong && position.mirroredKey() < position.key())
        return Position::Width - d->choose(position.mirrored(), start, budget);
    return column(d->choose(position, start, budget));
}

int Engine::Private::choose(const Position &position, Clock::time_point start,
                            std::chrono::milliseconds budget)
{
    for (int index : CentreFirst) {
        if (position.canPlay(index) && position.isWinningMove(index))
            return index;
    }
    if (level != Level::Easy && position.nonLosingMoves() == 0) {
        // Lost at the opponent's next stone whatever we do; block one of the wins as a person
        // would rather than leave it open.
        const std::uint64_t threats = position.opponentWinningCells() & position.possible();
        for (int index : CentreFirst) {
            if (threats & Position::columnMask(index))
                return index;
        }
    }
    switch (level) {
    case Level::Strong:
        return strong(position, start, budget);
    case Level::Medium:
        return medium(position);
    case Level::Easy:
        break;
    }
    return easy(position);
}

// A move that keeps the value the book gives the position: the first child held with the
// opposite value. -1 when the position is not held, lost (the search then makes the loss as
// hard to find as it can), or none of its best children is held.
int Engine::Private::fromBook(const Position &position) const
{
    const std::optional<int> value = book.value(position);
    if (!value || *value < 0)
        return -1;
    for (int index : CentreFirst) {
        if (!position.canPlay(index))
            continue;
        Position child = position;
        child.play(index);
        if (book.value(child) == -*value)
            return index;
    }
    return -1;
}

int Engine::Private::strong(const Position &position, Clock::time_point start,
                            std::chrono::milliseconds budget)
{
    if (const int index = fromBook(position); index >= 0)
        return index;
    // Half the budget for the game's outcome. Known, a drawing move is as good as any other;
    // a win should be the soonest and a loss the latest, which the exact score tells. The
    // deep search has what is left, less a margin for the caller.
    if (position.moves() >= SolveFrom) {
        const std::optional<Solver::Move> weak =
            solver->bestMove(position, share(start, budget, 50), true);
        if (weak && weak->score == 0)
            return weak->column;
        if (weak) {
            if (const std::optional<Solver::Move> exact =
                    solver->bestMove(position, share(start, budget, 75)))
                return exact->column;
            if (weak->score > 0)
                return weak->column;
        }
    }
    const std::optional<HeuristicSearch::Result> result =
        search->iterate(position, share(start, budget, 85), Position::Cells);
    if (result)
        return result->column;
    const std::uint64_t safe = position.nonLosingMoves();
    for (int index : CentreFirst) {
        if (position.canPlay(index) && (!safe || (safe & Position::columnMask(index))))
            return index;
    }
    return 0;
}

int Engine::Private::medium(const Position &position)
{
    const std::array<std::optional<int>, Position::Width> scores =
        search->moveScores(position, MediumDepth);
    const std::uint64_t safe = position.nonLosingMoves();
    int best = -3 * HeuristicSearch::Proven;
    for (int index = 0; index < Position::Width; ++index) {
        if (scores[index] && (!safe || (safe & Position::columnMask(index))))
            best = std::max(best, *scores[index]);
    }
    const bool proven = best >= HeuristicSearch::Proven || best <= -HeuristicSearch::Proven;
    const int margin = proven ? 0 : MediumMargin;
    std::vector<int> candidates;
    for (int index = 0; index < Position::Width; ++index) {
        if (scores[index] && (!safe || (safe & Position::columnMask(index))) &&
            *scores[index] >= best - margin && *scores[index] > -HeuristicSearch::Proven)
            candidates.push_back(index);
    }
    if (candidates.empty()) {
        for (int index = 0; index < Position::Width; ++index) {
            if (scores[index] && *scores[index] == best)
                candidates.push_back(index);
        }
    }
    return pick(candidates);
}

int Engine::Private::easy(const Position &position)
{
    // Sees the opponent's immediate win only every other time.
    const std::uint64_t threats = position.opponentWinningCells() & position.possible();
    if (threats && std::bernoulli_distribution(0.5)(random)) {
        for (int index = 0; index < Position::Width; ++index) {
            if (threats & Position::columnMask(index))
                return index;
        }
    }
    // Otherwise anywhere, the centre somewhat more often.
    static constexpr int Weights[Position::Width] = {1, 2, 3, 4, 3, 2, 1};
    std::vector<int> columns;
    for (int index = 0; index < Position::Width; ++index) {
        if (position.canPlay(index))
            columns.insert(columns.end(), Weights[index], index);
    }
    return pick(columns);
}

} // namespace engine

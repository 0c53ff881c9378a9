// Strong's move times and memory over self-play games whose first two to four moves are
// random, and the ply from which its moves are exact solves within the budget.
//
//   bench_engine [GAMES [BUDGET_MS]] [--openings]
//
// --openings also solves each of the seven first moves exactly (long: not for CI).
#include "engine/Engine.h"
#include "engine/Solver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

using namespace engine;

namespace {

// A line of /proc/self/status in KiB, e.g. "VmRSS" or "VmHWM".
long statusKib(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field) + 1);
    }
    return -1;
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void openings()
{
    Solver solver(std::size_t(1) << 24);
    for (int column = 1; column <= 7; ++column) {
        Position position;
        position.play(column - 1);
        const Clock::time_point start = Clock::now();
        const int value = -*solver.solve(position, true);
        std::printf("opening %d: %s for the side that began, %.1f s\n", column,
                    value > 0   ? "win"
                    : value < 0 ? "loss"
                                : "draw",
                    msSince(start) / 1000);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv)
{
    int games = 100;
    int budgetMs = 500;
    bool withOpenings = false;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--openings") == 0)
            withOpenings = true;
        else if (positional++ == 0)
            games = std::max(1, std::atoi(argv[i]));
        else
            budgetMs = std::max(1, std::atoi(argv[i]));
    }
    const std::chrono::milliseconds budget(budgetMs);
    // The opponent process holds one engine; this one holds two and a probe.
    const long before = statusKib("VmRSS");
    {
        Engine one(Level::Strong, 0);
        one.chooseMove({4, 4, 3, 5, 2, 6, 4, 4, 3, 3}, budget);
        std::printf("one Strong engine: %ld KiB more resident\n", statusKib("VmRSS") - before);
    }
    std::mt19937_64 random(1);
    std::vector<double> times;
    // For each ply: did a solver like Strong's finish within its part of the budget every time?
    std::vector<int> exact(Position::Cells, 1);
    std::vector<int> seen(Position::Cells, 0);
    for (int game = 0; game < games; ++game) {
        Engine first(Level::Strong, 2 * game);
        Engine second(Level::Strong, 2 * game + 1);
        Solver probe(std::size_t(1) << 22); // Strong's table size, warm over the game as its
        Position position;
        std::vector<int> moves;
        const int randomPlies = 2 + int(random() % 3);
        while (position.moves() < Position::Cells) {
            int column;
            if (position.moves() < randomPlies) {
                column = int(random() % 7) + 1;
            } else {
                Engine &mover = position.moves() % 2 == 0 ? first : second;
                const Clock::time_point start = Clock::now();
                column = mover.chooseMove(moves, budget);
                times.push_back(msSince(start));
                // Strong's exact solve ends at three quarters of the budget.
                const bool solved =
                    probe.bestMove(position, Limit(Clock::now() + budget * 3 / 4)).has_value();
                seen[position.moves()] = 1;
                exact[position.moves()] &= solved ? 1 : 0;
            }
            if (position.isWinningMove(column - 1))
                break;
            position.play(column - 1);
            moves.push_back(column);
        }
    }
    std::sort(times.begin(), times.end());
    int exactFrom = Position::Cells;
    while (exactFrom > 0 && (exact[exactFrom - 1] || !seen[exactFrom - 1]))
        --exactFrom;
    std::printf("Strong, %d self-play games, budget %d ms: %zu moves\n", games, budgetMs,
                times.size());
    std::printf("move time: median %.1f ms, maximum %.1f ms\n", times[times.size() / 2],
                times.back());
    std::printf("memory: VmRSS %ld KiB, peak VmHWM %ld KiB\n", statusKib("VmRSS"),
                statusKib("VmHWM"));
    std::printf("exact solves within three quarters of the budget from ply %d on\n", exactFrom);
    if (withOpenings)
        openings();
    return 0;
}

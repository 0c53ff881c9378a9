// Writes the opening book: every position of up to DEPTH stones that can arise in play (no
// four yet), one of each mirror pair, with its exact win/draw/loss value. The positions of
// exactly DEPTH stones are solved; shallower ones take the best of their children.
//
//   make_book OUTPUT [DEPTH [TABLE_MIB [LIMIT]]]
//
// Deterministic: the same arguments give the same file on any number of cores. LIMIT > 0 solves
// only that many of the deepest positions, to estimate the running time, and writes nothing.
#include "engine/Book.h"
#include "engine/Solver.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>

using namespace engine;

namespace {

// Positions a solver takes at a time: neighbours in the enumeration share subtrees.
constexpr std::size_t Run = 8;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Canonical positions by stone count, in depth-first order with the centre first, so that
// consecutive solves share much of their trees in the table.
void enumerate(const Position &position, int depth, std::vector<std::vector<Position>> &byPly,
               std::unordered_set<std::uint64_t> &seen)
{
    if (!seen.insert(position.canonicalKey()).second)
        return;
    byPly[position.moves()].push_back(position);
    if (position.moves() == depth || position.canWinNext())
        return; // a position that can be won at once needs no children
    for (int column : CentreFirst) {
        if (!position.canPlay(column))
            continue;
        Position child = position;
        child.play(column);
        enumerate(child, depth, byPly, seen);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_book OUTPUT [DEPTH [TABLE_MIB [LIMIT]]]\n");
        return 2;
    }
    const std::string output = argv[1];
    const int depth = argc > 2 ? std::atoi(argv[2]) : 8;
    const std::size_t tableMib = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1024;
    const std::size_t limit = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 0;
    if (depth < 1 || depth > 20 || tableMib < 1) {
        std::fprintf(stderr, "make_book: depth 1..20, table at least 1 MiB\n");
        return 2;
    }
    const Clock::time_point start = Clock::now();
    std::vector<std::vector<Position>> byPly(depth + 1);
    std::unordered_set<std::uint64_t> seen;
    enumerate(Position(), depth, byPly, seen);
    seen.clear();
    for (int ply = 0; ply <= depth; ++ply)
        std::fprintf(stderr, "ply %d: %zu positions\n", ply, byPly[ply].size());

    // One solver per core, each with its share of the table, taking runs of neighbouring
    // positions in turn: the values are exact, so the file does not depend on who solved what.
    const std::vector<Position> &deepest = byPly[depth];
    const std::size_t count = limit ? std::min(limit, deepest.size()) : deepest.size();
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<signed char> deepValues(count);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            Solver solver(tableMib * 1024 * 1024 / 8 / threads);
            for (;;) {
                const std::size_t first = next.fetch_add(Run);
                if (first >= count)
                    return;
                for (std::size_t i = first; i < std::min(first + Run, count); ++i) {
                    deepValues[i] = static_cast<signed char>(*solver.solve(deepest[i], true));
                    ++done;
                }
            }
        });
    }
    Clock::time_point lastReport = start;
    for (std::size_t solved = 0; solved < count;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (done == solved)
            continue;
        solved = done;
        const double elapsed = secondsSince(start);
        if (secondsSince(lastReport) > 30 || solved == count) {
            lastReport = Clock::now();
            std::fprintf(stderr, "%zu/%zu solved, %.0f s, about %.0f s to go\n", solved,
                         deepest.size(), elapsed,
                         elapsed / double(solved) * double(deepest.size() - solved));
        }
    }
    for (std::thread &worker : workers)
        worker.join();
    std::unordered_map<std::uint64_t, int> values;
    for (std::size_t i = 0; i < count; ++i)
        values[deepest[i].canonicalKey()] = deepValues[i];
    if (limit)
        return 0;

    for (int ply = depth - 1; ply >= 0; --ply) {
        for (const Position &position : byPly[ply]) {
            int best = -1;
            for (int column = 0; column < Position::Width && best < 1; ++column) {
                if (!position.canPlay(column))
                    continue;
                if (position.isWinningMove(column)) {
                    best = 1;
                    break;
                }
                Position child = position;
                child.play(column);
                best = std::max(best, -values.at(child.canonicalKey()));
            }
            values[position.canonicalKey()] = best;
        }
    }
    std::vector<std::uint64_t> entries;
    entries.reserve(values.size());
    for (const auto &[key, value] : values)
        entries.push_back(Book::encode(key, value));
    std::sort(entries.begin(), entries.end());
    if (!Book::save(output, depth, entries)) {
        std::fprintf(stderr, "make_book: cannot write %s\n", output.c_str());
        return 1;
    }
    std::fprintf(stderr, "%zu positions written to %s in %.0f s\n", entries.size(), output.c_str(),
                 secondsSince(start));
    return 0;
}

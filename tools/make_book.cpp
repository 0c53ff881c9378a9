// Writes the opening book: every position of up to DEPTH stones that can arise in play (no
// four yet), one of each mirror pair, with its exact win/draw/loss value. The positions of
// exactly DEPTH stones are solved; shallower ones take the best of their children.
//
//   make_book OUTPUT [DEPTH [TABLE_MIB [LIMIT]]]
//
// Deterministic: the same arguments give the same file. LIMIT > 0 solves only that many of
// the deepest positions, to estimate the running time, and writes nothing.
#include "engine/Book.h"
#include "engine/Solver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <unordered_set>

using namespace engine;

namespace {

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

    Solver solver(tableMib * 1024 * 1024 / 8);
    std::unordered_map<std::uint64_t, int> values;
    const std::vector<Position> &deepest = byPly[depth];
    const std::size_t count = limit ? std::min(limit, deepest.size()) : deepest.size();
    Clock::time_point lastReport = start;
    for (std::size_t i = 0; i < count; ++i) {
        values[deepest[i].canonicalKey()] = *solver.solve(deepest[i], true);
        if (secondsSince(lastReport) > 30 || i + 1 == count) {
            lastReport = Clock::now();
            const double elapsed = secondsSince(start);
            std::fprintf(stderr, "%zu/%zu solved, %.0f s, about %.0f s to go\n", i + 1,
                         deepest.size(), elapsed,
                         elapsed / double(i + 1) * double(deepest.size() - i - 1));
        }
    }
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

#include "engine/TranspositionTable.h"

#include <algorithm>

namespace engine {

namespace {

bool isPrime(std::size_t n)
{
    if (n < 2)
        return false;
    for (std::size_t d = 2; d * d <= n; ++d) {
        if (n % d == 0)
            return false;
    }
    return true;
}

} // namespace

// A prime size spreads the keys, whose low bits follow the board's structure.
TranspositionTable::TranspositionTable(std::size_t slots)
{
    std::size_t n = std::max<std::size_t>(slots, 3);
    while (!isPrime(n))
        --n;
    table.assign(n, 0);
}

void TranspositionTable::clear()
{
    std::fill(table.begin(), table.end(), 0);
}

} // namespace engine

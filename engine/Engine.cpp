#include "Engine.h"

#include <array>
#include <random>

namespace engine {

namespace {

constexpr int Columns = 7;
constexpr int Rows = 6;

using Grid = std::array<std::array<int, Rows>, Columns>;

int freeRow(const Grid &grid, int column)
{
    for (int row = 0; row < Rows; ++row) {
        if (grid[column][row] == 0)
            return row;
    }
    return -1;
}

bool winsAt(const Grid &grid, int column, int row, int side)
{
    static constexpr int Directions[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto &direction : Directions) {
        int count = 1;
        for (int sign : {1, -1}) {
            int c = column + sign * direction[0];
            int r = row + sign * direction[1];
            while (c >= 0 && c < Columns && r >= 0 && r < Rows && grid[c][r] == side) {
                ++count;
                c += sign * direction[0];
                r += sign * direction[1];
            }
        }
        if (count >= 4)
            return true;
    }
    return false;
}

} // namespace

struct Engine::Private
{
    std::mt19937_64 random;
};

Engine::Engine(Level, std::uint64_t seed) : d(new Private{std::mt19937_64(seed)}) {}

Engine::~Engine()
{
    delete d;
}

int Engine::chooseMove(const std::vector<int> &moves, std::chrono::milliseconds)
{
    Grid grid{};
    int side = 1;
    for (int move : moves) {
        const int row = freeRow(grid, move - 1);
        if (move >= 1 && move <= Columns && row >= 0)
            grid[move - 1][row] = side;
        side = 3 - side;
    }
    std::vector<int> legal;
    for (int column = 0; column < Columns; ++column) {
        const int row = freeRow(grid, column);
        if (row < 0)
            continue;
        if (winsAt(grid, column, row, side))
            return column + 1;
        legal.push_back(column + 1);
    }
    if (legal.empty())
        return 1;
    return legal[std::uniform_int_distribution<std::size_t>(0, legal.size() - 1)(d->random)];
}

} // namespace engine

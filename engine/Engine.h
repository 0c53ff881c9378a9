#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace engine {

enum class Level { Easy, Medium, Strong };

// The computer's player. Qt-free; used by the headless opponent only, never by the window.
class Engine
{
public:
    Engine(Level level, std::uint64_t seed);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // The column (1 to 7) to play in the position that the moves so far have made: columns 1 to
    // 7 in the order played, the first by the side that began. The side to move is the one
    // whose turn the count gives. The position has a legal move and no line of four yet.
    // Thinks at most budget (Strong uses it; the weaker levels need far less).
    int chooseMove(const std::vector<int> &moves, std::chrono::milliseconds budget);
    // From now on thinks a number of search nodes per move instead of a time, so that its
    // games repeat exactly on any machine; 0 goes back to the time budget.
    void setNodeBudget(std::uint64_t nodes);

private:
    struct Private;
    Private *d;
};

} // namespace engine

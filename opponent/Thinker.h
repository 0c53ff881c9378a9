#pragma once

#include "engine/Engine.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Runs the engine on a thread of its own, so that the connection stays served while it
// thinks. One request at a time: a new one replaces one that has not started. Each finished
// choice makes wakeFd() readable; take() then hands it over.
class Thinker
{
public:
    using Clock = std::chrono::steady_clock;

    struct Choice
    {
        std::uint64_t generation = 0;
        int column = 0;
    };

    explicit Thinker(engine::Level level);
    ~Thinker();
    Thinker(const Thinker &) = delete;
    Thinker &operator=(const Thinker &) = delete;

    // Thinks about the game of generation; the choice is wanted by deadline. The engine gets
    // the budget, or less when an earlier search held the thread up.
    void request(std::uint64_t generation, std::vector<int> moves, Clock::time_point deadline,
                 std::chrono::milliseconds budget);
    int wakeFd() const { return m_wake[0]; }
    std::optional<Choice> take();

private:
    struct Request
    {
        std::uint64_t generation = 0;
        std::vector<int> moves;
        Clock::time_point deadline;
        std::chrono::milliseconds budget{};
    };

    void run();

    engine::Engine m_engine;
    std::mutex m_mutex;
    std::condition_variable m_wakeThread;
    std::optional<Request> m_request;
    std::optional<Choice> m_choice;
    bool m_stopping = false;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

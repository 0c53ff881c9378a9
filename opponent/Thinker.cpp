#include "Thinker.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <utility>

using namespace std::chrono;

namespace {

// The least an overdue search is given: a move now beats a better one too late.
constexpr milliseconds ShortestBudget{20};

} // namespace

Thinker::Thinker(engine::Level level) : m_engine(level, std::random_device()())
{
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
    m_thread = std::thread([this] { run(); });
}

Thinker::~Thinker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wakeThread.notify_one();
    m_thread.join();
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

void Thinker::request(std::uint64_t generation, std::vector<int> moves, Clock::time_point deadline,
                      milliseconds budget)
{
    {
        const std::lock_guard lock(m_mutex);
        m_request = Request{generation, std::move(moves), deadline, budget};
    }
    m_wakeThread.notify_one();
}

std::optional<Thinker::Choice> Thinker::take()
{
    char drained[16];
    while (::read(m_wake[0], drained, sizeof drained) > 0) {
    }
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_choice, std::nullopt);
}

void Thinker::run()
{
    for (;;) {
        Request request;
        {
            std::unique_lock lock(m_mutex);
            m_wakeThread.wait(lock, [this] { return m_stopping || m_request; });
            if (m_stopping)
                return;
            request = std::move(*m_request);
            m_request.reset();
        }
        const auto left = duration_cast<milliseconds>(request.deadline - Clock::now());
        const milliseconds budget =
            std::clamp(left, std::min(ShortestBudget, request.budget), request.budget);
        int column = 0;
        try {
            column = m_engine.chooseMove(request.moves, budget);
        } catch (...) {
            // The match plays a legal column in place of one the engine did not give.
        }
        {
            const std::lock_guard lock(m_mutex);
            m_choice = Choice{request.generation, column};
        }
        const char signal = 1;
        [[maybe_unused]] const auto written = ::write(m_wake[1], &signal, 1);
    }
}

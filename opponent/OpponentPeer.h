#pragma once

#include "OpponentMatch.h"
#include "Thinker.h"
#include "net/ReceiveBuffer.h"

#include <chrono>
#include <optional>
#include <random>
#include <string>

// Serves one connection to the window until it ends: packets in, the engine's moves out after
// a pause that feels natural. Reads from watchFd too, when it is not -1: its end (the parent's
// pipe closing) ends the connection as well.
class OpponentPeer
{
public:
    using Clock = Thinker::Clock;

    // How long after the window's move the answer goes out: a pause drawn from this range, or
    // the engine's time when that is longer. Never later than about Latest.
    static constexpr std::chrono::milliseconds ShortestPause{300};
    static constexpr std::chrono::milliseconds LongestPause{600};
    static constexpr std::chrono::milliseconds ThinkingBudget{500};
    static constexpr std::chrono::milliseconds Latest{900};

    OpponentPeer(int socket, int watchFd, engine::Level level, std::string name);

    // Returns when the window has said goodbye or the connection or the watched pipe ended.
    void run();

private:
    struct Pending
    {
        std::uint64_t generation = 0;
        Clock::time_point due;
        std::optional<int> column;
    };

    // Whether the connection goes on.
    bool carryOut(const OpponentMatch::Actions &actions, Clock::time_point since);
    bool send(const TDataPacket &packet);
    bool readSocket();
    bool watchedStillOpen();
    void takeChoice();
    bool answerWhenDue();
    int pollTimeout() const;

    int m_socket;
    int m_watchFd;
    OpponentMatch m_match;
    Thinker m_thinker;
    ReceiveBuffer m_incoming;
    std::optional<Pending> m_pending;
    std::minstd_rand m_random;
};

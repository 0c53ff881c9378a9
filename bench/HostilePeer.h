#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace bench {

// A peer on its own thread that connects over loopback and writes what it is given as fast as
// the connection takes it; kept apart from the sockets layer's names.
class HostilePeer
{
public:
    using Bytes = std::vector<std::uint8_t>;

    ~HostilePeer();

    bool connectTo(std::uint16_t port);
    // Sends the rounds one after another, from the first again, for the given time, then the
    // tail once; the steady clock time of the tail's send goes to tailSentNs.
    void flood(std::vector<Bytes> rounds, int seconds, Bytes tail);
    void join();

    std::atomic<std::int64_t> tailSentNs{0};
    std::atomic<std::int64_t> bytesSent{0};

private:
    bool sendAll(const Bytes &bytes);

    int m_fd = -1;
    std::thread m_thread;
};

} // namespace bench

#include "HostilePeer.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace bench {

namespace {

std::int64_t steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

HostilePeer::~HostilePeer()
{
    join();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool HostilePeer::connectTo(std::uint16_t port)
{
    m_fd = ::socket(PF_INET, SOCK_STREAM, 0);
    ::sockaddr_in address{PF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    const int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return ::connect(m_fd, reinterpret_cast<::sockaddr *>(&address), sizeof address) == 0;
}

void HostilePeer::flood(std::vector<Bytes> rounds, int seconds, Bytes tail)
{
    m_thread = std::thread([this, rounds = std::move(rounds), seconds, tail = std::move(tail)] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (std::size_t i = 0; std::chrono::steady_clock::now() < end; ++i) {
            if (!sendAll(rounds[i % rounds.size()]))
                return;
        }
        tailSentNs = steadyNs();
        sendAll(tail);
    });
}

void HostilePeer::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool HostilePeer::sendAll(const Bytes &bytes)
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += std::size_t(n);
        bytesSent += n;
    }
    return true;
}

} // namespace bench

#include "OpponentPeer.h"

#include "net/PacketCodec.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

using namespace std::chrono;

OpponentPeer::OpponentPeer(int socket, int watchFd, engine::Level level, std::string name)
    : m_socket(socket), m_watchFd(watchFd), m_match(std::move(name)), m_thinker(level),
      m_random(std::random_device()())
{}

void OpponentPeer::run()
{
    if (!send(m_match.greeting()))
        return;
    for (;;) {
        pollfd fds[3] = {{m_socket, POLLIN, 0}, {m_thinker.wakeFd(), POLLIN, 0}, {m_watchFd, 0, 0}};
        if (m_watchFd >= 0)
            fds[2].events = POLLIN;
        const int ready = ::poll(fds, m_watchFd >= 0 ? 3 : 2, pollTimeout());
        if (ready < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            takeChoice();
        if (fds[0].revents != 0 && !readSocket())
            return;
        if (fds[2].revents != 0 && !watchedStillOpen())
            return;
        if (!answerWhenDue())
            return;
    }
}

int OpponentPeer::pollTimeout() const
{
    if (!m_pending || !m_pending->column)
        return -1;
    const auto left = ceil<milliseconds>(m_pending->due - Clock::now());
    return int(std::max(left.count(), milliseconds::rep(0)));
}

bool OpponentPeer::readSocket()
{
    std::uint8_t bytes[4096];
    const std::size_t room = std::min(sizeof bytes, m_incoming.room());
    const ssize_t count = ::recv(m_socket, bytes, std::max<std::size_t>(room, 1), 0);
    if (count < 0)
        return errno == EINTR || errno == EAGAIN;
    if (count == 0)
        return false;
    // The moment the window's move arrived: the pause is counted from here.
    const Clock::time_point now = Clock::now();
    m_incoming.append({bytes, std::size_t(count)});
    TDataPacket packet;
    while (m_incoming.take(packet)) {
        if (!carryOut(m_match.receive(packet), now))
            return false;
    }
    return true;
}

bool OpponentPeer::carryOut(const OpponentMatch::Actions &actions, Clock::time_point since)
{
    if (actions.close)
        return false;
    for (const TDataPacket &packet : actions.send) {
        if (!send(packet))
            return false;
    }
    // A new game overtakes the move being prepared for the last one.
    if (m_pending && m_pending->generation != m_match.generation())
        m_pending.reset();
    if (actions.think) {
        const auto pause = milliseconds(std::uniform_int_distribution<milliseconds::rep>(
            ShortestPause.count(), LongestPause.count())(m_random));
        m_pending = Pending{m_match.generation(), since + pause, std::nullopt};
        m_thinker.request(m_match.generation(), m_match.moves(), since + Latest, ThinkingBudget);
    }
    return true;
}

void OpponentPeer::takeChoice()
{
    const std::optional<Thinker::Choice> choice = m_thinker.take();
    if (choice && m_pending && choice->generation == m_pending->generation)
        m_pending->column = choice->column;
}

bool OpponentPeer::answerWhenDue()
{
    if (!m_pending || !m_pending->column || Clock::now() < m_pending->due)
        return true;
    const Pending pending = *m_pending;
    m_pending.reset();
    return carryOut(m_match.moveChosen(pending.generation, *pending.column), Clock::now());
}

bool OpponentPeer::send(const TDataPacket &packet)
{
    ValueWriter writer;
    EncodePacket(packet, writer);
    const auto &bytes = writer.bytes();
    // Each packet whole, in one call where the socket allows.
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            ::send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        sent += std::size_t(count);
    }
    return true;
}

bool OpponentPeer::watchedStillOpen()
{
    char bytes[256];
    const ssize_t count = ::read(m_watchFd, bytes, sizeof bytes);
    return count > 0 || (count < 0 && (errno == EINTR || errno == EAGAIN));
}

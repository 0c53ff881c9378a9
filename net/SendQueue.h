#pragma once

#include "ByteQueue.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The bytes of one connection that send has not taken yet, oldest first. Packets join it
// whole or not at all, so none is ever cut on the wire.
class SendQueue
{
public:
    static constexpr std::size_t Capacity = 4 * 1024 * 1024;

    // Queues a whole packet behind what waits; drops it and returns false when it does not fit.
    bool push(std::span<const std::uint8_t> packet);

    // Passes what waits to send, a callable taking a byte span and returning how many bytes
    // it took (0 or less: none), until it takes nothing more or the queue is empty.
    template <typename Send>
    void flush(Send &&send)
    {
        while (!m_bytes.empty()) {
            const auto sent = send(m_bytes.front());
            if (sent <= 0)
                return;
            m_bytes.consume(std::size_t(sent));
        }
    }

    bool empty() const { return m_bytes.empty(); }
    std::size_t size() const { return m_bytes.size(); }
    // Drops what waits, for a connection that closes.
    void clear() { m_bytes.clear(); }

private:
    ByteQueue m_bytes{Capacity};
};

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A bounded first-in first-out run of bytes, kept contiguous so that its front can go to
// send or to the decoder in one piece. Its storage never exceeds the capacity.
class ByteQueue
{
public:
    explicit ByteQueue(std::size_t capacity) : m_capacity(capacity) {}

    std::size_t capacity() const { return m_capacity; }
    std::size_t size() const { return m_bytes.size() - m_start; }
    bool empty() const { return size() == 0; }
    std::size_t room() const { return m_capacity - size(); }
    std::span<const std::uint8_t> front() const
    {
        return std::span<const std::uint8_t>(m_bytes).subspan(m_start);
    }

    // Appends as much of bytes as room() allows and returns how much that was.
    std::size_t append(std::span<const std::uint8_t> bytes);
    // Removes count bytes (at most size()) from the front.
    void consume(std::size_t count);
    // Empties the queue and releases its storage.
    void clear();

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_start = 0; // bytes at the front already consumed
    std::size_t m_capacity;
};

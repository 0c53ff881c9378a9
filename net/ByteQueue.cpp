#include "ByteQueue.h"

#include <algorithm>

std::size_t ByteQueue::append(std::span<const std::uint8_t> bytes)
{
    const std::size_t count = std::min(bytes.size(), room());
    if (count == 0)
        return 0;
    const std::size_t needed = m_bytes.size() + count;
    // Moving the live bytes down costs no more than the consumed ones did, and saves growing.
    if (m_start > 0 && (m_start >= size() || needed > m_bytes.capacity())) {
        m_bytes.erase(m_bytes.begin(), m_bytes.begin() + std::ptrdiff_t(m_start));
        m_start = 0;
    }
    if (m_bytes.size() + count > m_bytes.capacity())
        m_bytes.reserve(std::min(m_capacity, std::max(2 * m_bytes.capacity(), size() + count)));
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.begin() + std::ptrdiff_t(count));
    return count;
}

void ByteQueue::consume(std::size_t count)
{
    m_start += std::min(count, size());
    if (m_start == m_bytes.size()) {
        m_bytes.clear();
        m_start = 0;
    }
}

void ByteQueue::clear()
{
    std::vector<std::uint8_t>().swap(m_bytes);
    m_start = 0;
}

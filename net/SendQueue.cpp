#include "SendQueue.h"

bool SendQueue::push(std::span<const std::uint8_t> packet)
{
    if (packet.size() > m_bytes.room())
        return false;
    m_bytes.append(packet);
    return true;
}

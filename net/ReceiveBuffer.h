#pragma once

#include "ByteQueue.h"
#include "TDataPacket.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The bytes one connection has received and not yet handed on, so that a packet split by TCP
// is completed by a later read. Packets leave from the front one at a time, each removed
// before the caller hands it on: a nested read, run while the first packet is being handled,
// goes on with the next packet.
//
// A wrong marker, a negative length or a foreign tag breaks the stream: everything buffered
// is discarded. A packet whose fields are all there but whose end marker is wrong is still
// handed on, as the packet stands before its end marker is checked; what is buffered behind
// it is discarded before it is handed on. Until the byte after its fields has arrived, such a
// packet is incomplete and waits.
//
// At most capacity() bytes are held. A packet that could not fit, even with the widest
// Column, is dropped while it arrives, without being stored, and the packets behind it come
// through.
class ReceiveBuffer
{
public:
    // A connection's.
    static constexpr std::size_t Capacity = 1024 * 1024;
    // Room for the longest possible packet head and an empty text.
    static constexpr std::size_t MinimumCapacity = 64;

    explicit ReceiveBuffer(std::size_t capacity = Capacity);

    std::size_t capacity() const { return m_bytes.capacity(); }
    // How many bytes append() takes now; the rest should stay in the socket.
    std::size_t room() const { return m_bytes.room(); }
    // Takes as much of bytes as fits and returns how much that was.
    std::size_t append(std::span<const std::uint8_t> bytes);
    // Removes the next complete packet from the front into packet and returns true, or returns
    // false when there is none (yet). The packet's Text storage is reused.
    bool take(TDataPacket &packet);
    // Drops everything, for a connection that closes.
    void clear();

    std::size_t size() const { return m_bytes.size(); }

private:
    void skipText();
    bool takeDroppedTail();

    ByteQueue m_bytes;
    // While an oversized packet is dropped: its text bytes still to come, then its Column
    // and end marker.
    std::size_t m_textToSkip = 0;
    bool m_dropping = false;
};

#include "ReceiveBuffer.h"

#include "PacketCodec.h"
#include "ValueReader.h"

#include <algorithm>

ReceiveBuffer::ReceiveBuffer(std::size_t capacity) : m_bytes(std::max(capacity, MinimumCapacity)) {}

std::size_t ReceiveBuffer::append(std::span<const std::uint8_t> bytes)
{
    const std::size_t skipped = std::min(m_textToSkip, bytes.size());
    m_textToSkip -= skipped;
    return skipped + m_bytes.append(bytes.subspan(skipped));
}

bool ReceiveBuffer::take(TDataPacket &packet)
{
    for (;;) {
        if (m_dropping && !takeDroppedTail())
            return false;
        if (m_bytes.empty())
            return false;
        const TDecodeResult result = DecodePacket(m_bytes.front(), packet, capacity());
        switch (result.status) {
        case dsPacket:
            m_bytes.consume(result.length);
            return true;
        case dsBadEnd:
            clear();
            return true;
        case dsIncomplete:
            return false;
        case dsForeign:
            clear();
            return false;
        case dsOversized:
            m_bytes.consume(result.length);
            m_textToSkip = result.textLength;
            m_dropping = true;
            skipText();
            break;
        }
    }
}

void ReceiveBuffer::clear()
{
    m_bytes.clear();
    m_textToSkip = 0;
    m_dropping = false;
}

void ReceiveBuffer::skipText()
{
    const std::size_t skipped = std::min(m_textToSkip, m_bytes.size());
    m_bytes.consume(skipped);
    m_textToSkip -= skipped;
}

// Consumes the Column and end marker of a dropped packet once they are there. Returns true
// when the stream goes on behind them.
bool ReceiveBuffer::takeDroppedTail()
{
    if (m_textToSkip > 0)
        return false;
    ValueReader reader(m_bytes.front());
    std::int32_t column = 0;
    TReadStatus status = reader.readInteger(column);
    if (status == rsOk)
        status = reader.readListEnd();
    if (status == rsShort)
        return false;
    if (status == rsInvalid) {
        clear();
        return false;
    }
    m_bytes.consume(reader.position());
    m_dropping = false;
    return true;
}

#pragma once

#include "EReadError.h"
#include "ValueKind.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// Reads typed values from the front of a byte buffer that it does not own. Every integer
// class is accepted whatever the value it holds, and both string forms.
class ValueReader
{
public:
    explicit ValueReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    // Each consumes one value or throws EReadError.
    void ExpectListBegin();
    void ExpectListEnd();
    std::int32_t GetInteger();
    std::string GetString();

    // The same reads without exceptions, for the receive path, where running out of bytes is
    // ordinary. A failed read consumes nothing. Inline: they run several times per packet.
    TReadStatus readListBegin() { return readMarker(vkList); }
    TReadStatus readListEnd() { return readMarker(vkEndOfList); }
    TReadStatus readInteger(std::int32_t &value);
    // Marker and length of a string value; a negative length is invalid.
    TReadStatus readStringLength(std::size_t &length);
    // The next count bytes as a view into the buffer.
    TReadStatus readBytes(std::size_t count, std::string_view &bytes);

    std::size_t position() const { return m_position; }

private:
    TReadStatus readMarker(std::uint8_t marker);
    std::size_t left() const { return m_bytes.size() - m_position; }
    std::uint32_t littleEndian(std::size_t offset, std::size_t count) const;

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

inline TReadStatus ValueReader::readMarker(std::uint8_t marker)
{
    if (left() < 1)
        return rsShort;
    if (m_bytes[m_position] != marker)
        return rsInvalid;
    ++m_position;
    return rsOk;
}

inline TReadStatus ValueReader::readInteger(std::int32_t &value)
{
    if (left() < 1)
        return rsShort;
    const std::uint8_t marker = m_bytes[m_position];
    if (marker == vkInt8 && left() >= 2) {
        // The common case: every field the game sends but a long text.
        value = static_cast<std::int8_t>(m_bytes[m_position + 1]);
        m_position += 2;
        return rsOk;
    }
    const std::size_t size = marker == vkInt8 ? 1 : marker == vkInt16 ? 2 : 4;
    if (marker != vkInt8 && marker != vkInt16 && marker != vkInt32)
        return rsInvalid;
    if (left() < 1 + size)
        return rsShort;
    const std::uint32_t bits = littleEndian(m_position + 1, size);
    // Sign-extends from the class's width.
    value = size == 2 ? static_cast<std::int16_t>(bits) : static_cast<std::int32_t>(bits);
    m_position += 1 + size;
    return rsOk;
}

inline TReadStatus ValueReader::readStringLength(std::size_t &length)
{
    if (left() < 1)
        return rsShort;
    const std::uint8_t marker = m_bytes[m_position];
    if (marker != vkString && marker != vkLongString)
        return rsInvalid;
    const std::size_t size = marker == vkString ? 1 : 4;
    if (left() < 1 + size)
        return rsShort;
    const auto declared = static_cast<std::int32_t>(littleEndian(m_position + 1, size));
    if (declared < 0)
        return rsInvalid;
    length = std::size_t(declared);
    m_position += 1 + size;
    return rsOk;
}

inline TReadStatus ValueReader::readBytes(std::size_t count, std::string_view &bytes)
{
    if (left() < count)
        return rsShort;
    bytes = {reinterpret_cast<const char *>(m_bytes.data() + m_position), count};
    m_position += count;
    return rsOk;
}

inline std::uint32_t ValueReader::littleEndian(std::size_t offset, std::size_t count) const
{
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < count; ++i)
        bits |= std::uint32_t(m_bytes[offset + i]) << (8 * i);
    return bits;
}

#pragma once

#include "ValueKind.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Appends typed values to a growing byte buffer, each behind its marker byte. Integers take
// the shortest class that holds them, texts of 256 bytes or more the long string form.
// clear() keeps the storage, so a writer that is reused does not allocate again.
class ValueWriter
{
public:
    void BeginList() { m_bytes.push_back(vkList); }
    void EndList() { m_bytes.push_back(vkEndOfList); }
    // Inline: it runs several times per packet.
    void PutInteger(std::int32_t value);
    // Throws std::length_error for a text longer than a 32-bit length can state.
    void PutString(std::string_view text);

    std::span<const std::uint8_t> bytes() const { return m_bytes; }
    void clear() { m_bytes.clear(); }

private:
    void append(std::span<const std::uint8_t> bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }

    std::vector<std::uint8_t> m_bytes;
};

inline void ValueWriter::PutInteger(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const auto byte = [bits](int index) {
        return static_cast<std::uint8_t>(bits >> (8 * index));
    };
    if (value >= -128 && value <= 127) {
        const std::uint8_t encoded[] = {vkInt8, byte(0)};
        append(encoded);
    } else if (value >= -32768 && value <= 32767) {
        const std::uint8_t encoded[] = {vkInt16, byte(0), byte(1)};
        append(encoded);
    } else {
        const std::uint8_t encoded[] = {vkInt32, byte(0), byte(1), byte(2), byte(3)};
        append(encoded);
    }
}

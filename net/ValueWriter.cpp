#include "ValueWriter.h"

#include <limits>
#include <stdexcept>

void ValueWriter::PutString(std::string_view text)
{
    const std::size_t length = text.size();
    if (length > std::size_t(std::numeric_limits<std::int32_t>::max()))
        throw std::length_error("text too long for a string value");
    if (length <= 255) {
        const std::uint8_t header[] = {vkString, static_cast<std::uint8_t>(length)};
        append(header);
    } else {
        const std::uint8_t header[] = {
            vkLongString, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
        append(header);
    }
    const auto *data = reinterpret_cast<const std::uint8_t *>(text.data());
    append({data, length});
}

#include "NumberEditRules.h"

#include <algorithm>
#include <limits>

namespace NumberEditRules {

namespace {

constexpr std::int64_t Lowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t Highest = std::numeric_limits<std::int32_t>::max();

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> ReadInteger(std::u16string_view text)
{
    const std::size_t start = text.find_first_not_of(u' ');
    if (start == std::u16string_view::npos)
        return std::nullopt;
    text.remove_prefix(start);

    if (text.front() == u'$') {
        text.remove_prefix(1);
        if (text.empty())
            return std::nullopt;
        std::uint64_t value = 0;
        for (const char16_t c : text) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + std::uint64_t(digit);
            if (value > std::numeric_limits<std::uint32_t>::max())
                return std::nullopt;
        }
        // Eight hex digits fill the word, sign bit included: $FFFFFFFF is -1.
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }

    const bool negative = text.front() == u'-';
    if (negative || text.front() == u'+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        // The magnitude is checked before the sign, so -2147483648 does not read either.
        if (magnitude > Highest)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::int32_t ClampValue(std::int32_t value, std::int32_t minValue, std::int32_t maxValue)
{
    if (minValue == maxValue)
        return value;
    if (value < minValue)
        return minValue;
    if (value > maxValue)
        return maxValue;
    return value;
}

std::int32_t AddSaturated(std::int32_t value, std::int64_t delta)
{
    return static_cast<std::int32_t>(std::clamp(value + delta, Lowest, Highest));
}

bool AcceptsChar(char16_t key, bool editorEnabled)
{
    if ((key >= u'0' && key <= u'9') || key == u'+' || key == u'-' || key == u'\b')
        return editorEnabled;
    if (key == u'\r')
        return false;
    return key < 32;
}

} // namespace NumberEditRules

#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What the whole-number field decides without a window: how its text reads as a number, how a
// value is bounded and stepped, and which typed characters it lets through.
namespace NumberEditRules {

// The standard integer conversion: leading blanks, then either an optional sign and decimal
// digits up to 2147483647, or "$" and hexadecimal digits using up to all 32 bits. Anything
// else, a trailing blank included, gives no value.
std::optional<std::int32_t> ReadInteger(std::u16string_view text);

// No bounds while the two are equal; the lower bound is tested first, so with minValue above
// maxValue everything not below minValue gives maxValue.
std::int32_t ClampValue(std::int32_t value, std::int32_t minValue, std::int32_t maxValue);

// value + delta, stopping at the ends of the 32-bit range.
std::int32_t AddSaturated(std::int32_t value, std::int64_t delta);

// Whether a typed character may reach the edit control. Codes above 255 never may.
bool AcceptsChar(char16_t key, bool editorEnabled);

} // namespace NumberEditRules

#pragma once

#include <cstdint>

// The marker byte in front of every value of the stream.
constexpr std::uint8_t vkEndOfList = 0;
constexpr std::uint8_t vkList = 1;
constexpr std::uint8_t vkInt8 = 2;
constexpr std::uint8_t vkInt16 = 3;
constexpr std::uint8_t vkInt32 = 4;
constexpr std::uint8_t vkString = 6;
constexpr std::uint8_t vkLongString = 12;

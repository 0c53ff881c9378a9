#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Packet kinds.
constexpr std::int32_t pkMove = 0;
constexpr std::int32_t pkDisconnect = 1;
constexpr std::int32_t pkNewGame = 2;
constexpr std::int32_t pkChat = 3;
constexpr std::int32_t pkName = 4;

// Opens every packet; a packet with any other tag is foreign.
constexpr std::string_view PacketTag = "DSIN1000";

// The one message two copies exchange. Text holds code page 1252 bytes, as they travel.
struct TDataPacket
{
    std::int32_t Id = 0;
    std::int32_t Kind = 0;
    std::int32_t Origin = 0;
    std::string Text;
    std::int32_t Column = 0;

    bool operator==(const TDataPacket &) const = default;
};

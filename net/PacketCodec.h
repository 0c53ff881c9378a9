#pragma once

#include "TDataPacket.h"
#include "ValueWriter.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

// True unless tag equals PacketTag byte for byte: same length, same case.
bool TagDiffers(std::string_view tag);

// Appends the packet as it goes on the wire, its fields as they are.
void EncodePacket(const TDataPacket &packet, ValueWriter &writer);

enum TDecodeStatus {
    dsPacket,     // a whole packet; length counts its end marker
    dsBadEnd,     // every field read, but the byte after them is not the end marker
    dsIncomplete, // the bytes end inside the packet
    dsForeign,    // a wrong marker, a negative length or a foreign tag
    dsOversized,  // the packet could need more than maxSize bytes
};

struct TDecodeResult
{
    TDecodeStatus status = dsIncomplete;
    // dsPacket, dsBadEnd: bytes read; dsOversized: bytes in front of the text.
    std::size_t length = 0;
    // dsOversized: the text's declared length.
    std::size_t textLength = 0;
};

// Decodes the packet at the front of bytes. The packet's fields are filled for dsPacket and
// dsBadEnd only; its text storage is reused. A length beyond the bytes at hand is never
// allocated for: it means dsIncomplete, or dsOversized when the text alone, with the widest
// Column and the end marker behind it, would take the packet past maxSize.
TDecodeResult DecodePacket(std::span<const std::uint8_t> bytes, TDataPacket &packet,
                           std::size_t maxSize = std::numeric_limits<std::size_t>::max());

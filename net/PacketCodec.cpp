#include "PacketCodec.h"

#include "ValueReader.h"

namespace {

// The most bytes that can follow a packet's text: a 32-bit Column and the end marker.
constexpr std::size_t widestTail = 6;

TDecodeStatus failure(TReadStatus status)
{
    return status == rsShort ? dsIncomplete : dsForeign;
}

} // namespace

bool TagDiffers(std::string_view tag)
{
    return tag != PacketTag;
}

void EncodePacket(const TDataPacket &packet, ValueWriter &writer)
{
    writer.BeginList();
    writer.PutString(PacketTag);
    writer.PutInteger(packet.Id);
    writer.PutInteger(packet.Kind);
    writer.PutInteger(packet.Origin);
    writer.PutString(packet.Text);
    writer.PutInteger(packet.Column);
    writer.EndList();
}

TDecodeResult DecodePacket(std::span<const std::uint8_t> bytes, TDataPacket &packet,
                           std::size_t maxSize)
{
    ValueReader reader(bytes);
    TReadStatus status = reader.readListBegin();
    if (status != rsOk)
        return {failure(status)};

    std::size_t tagLength = 0;
    std::string_view tag;
    status = reader.readStringLength(tagLength);
    if (status != rsOk)
        return {failure(status)};
    // A tag of another length is foreign whatever its bytes, so there is no need to wait for them.
    if (tagLength != PacketTag.size())
        return {dsForeign};
    status = reader.readBytes(tagLength, tag);
    if (status != rsOk)
        return {failure(status)};
    if (TagDiffers(tag))
        return {dsForeign};

    std::int32_t id = 0;
    std::int32_t kind = 0;
    std::int32_t origin = 0;
    std::size_t textLength = 0;
    for (std::int32_t *value : {&id, &kind, &origin}) {
        status = reader.readInteger(*value);
        if (status != rsOk)
            return {failure(status)};
    }
    status = reader.readStringLength(textLength);
    if (status != rsOk)
        return {failure(status)};
    if (textLength > maxSize || reader.position() + widestTail > maxSize - textLength)
        return {dsOversized, reader.position(), textLength};
    std::string_view text;
    std::int32_t column = 0;
    status = reader.readBytes(textLength, text);
    if (status == rsOk)
        status = reader.readInteger(column);
    if (status != rsOk)
        return {failure(status)};

    // The packet stands once its fields are read; the end marker only decides whether the
    // stream goes on behind it. Its absence so far means the packet is incomplete.
    const std::size_t fieldsEnd = reader.position();
    status = reader.readListEnd();
    if (status == rsShort)
        return {dsIncomplete};
    packet.Id = id;
    packet.Kind = kind;
    packet.Origin = origin;
    packet.Text.assign(text);
    packet.Column = column;
    return {status == rsOk ? dsPacket : dsBadEnd, status == rsOk ? reader.position() : fieldsEnd};
}

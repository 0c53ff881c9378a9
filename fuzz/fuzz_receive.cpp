// Feeds arbitrary bytes in arbitrary pieces to a connection's receive buffer.
//
// The first byte chooses the buffer's capacity, small enough that oversized packets are
// common, and what the rest is. Even: raw received bytes, the next byte of the input seeding
// the piece sizes; nothing may crash, leak, read outside the buffer or hold more than the
// buffer's capacity. Odd: a description of packets, which are encoded, cut into pieces and
// must all come out again, whole and in order, but for those too long for the buffer.

#include "net/PacketCodec.h"
#include "net/ReceiveBuffer.h"
#include "net/ValueWriter.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

class Pieces
{
public:
    explicit Pieces(std::uint32_t seed) : m_state(seed | 1) {}
    // 1 to 300 bytes, often small.
    std::size_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state % 4 == 0 ? 1 + m_state % 300 : 1 + m_state % 8;
    }

private:
    std::uint32_t m_state;
};

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Delivers bytes piece by piece; now and then a packet is handled inside a nested read, as
// when a dialog opened by a packet lets the next read notification in.
std::vector<TDataPacket> deliver(std::span<const std::uint8_t> bytes, std::size_t capacity,
                                 Pieces &pieces)
{
    ReceiveBuffer buffer(capacity);
    std::vector<TDataPacket> handed;
    TDataPacket packet;
    bool nested = false;
    while (!bytes.empty()) {
        const std::size_t piece = std::min(pieces.next(), bytes.size());
        const std::size_t taken = buffer.append(bytes.first(piece));
        require(taken > 0 && buffer.size() <= capacity);
        bytes = bytes.subspan(taken);
        while (buffer.take(packet)) {
            handed.push_back(packet);
            nested = !nested;
            if (nested && !bytes.empty()) {
                const std::size_t more = std::min(pieces.next(), bytes.size());
                bytes = bytes.subspan(buffer.append(bytes.first(more)));
            }
        }
    }
    buffer.clear();
    require(buffer.size() == 0);
    return handed;
}

std::uint32_t word(std::span<const std::uint8_t> &input)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4 && !input.empty(); ++i) {
        value |= std::uint32_t(input.front()) << (8 * i);
        input = input.subspan(1);
    }
    return value;
}

void roundTrip(std::span<const std::uint8_t> input, std::size_t capacity)
{
    Pieces pieces(word(input));
    std::vector<TDataPacket> expected;
    ValueWriter writer;
    ValueWriter single;
    while (input.size() >= 3) {
        TDataPacket packet;
        const std::uint8_t shape = input[0];
        const std::size_t textLength = std::size_t(input[1]) * (shape & 0x80 ? 9 : 1);
        input = input.subspan(2);
        packet.Kind = std::int32_t(word(input)) >> (shape & 31);
        packet.Column = std::int32_t(word(input)) >> ((shape >> 2) & 31);
        packet.Id = shape & 1 ? std::int32_t(word(input)) : 0;
        for (std::size_t i = 0; i < textLength; ++i)
            packet.Text += char(i < input.size() ? input[i] : i);
        input = input.subspan(std::min(textLength, input.size()));
        EncodePacket(packet, writer);
        single.clear();
        EncodePacket(packet, single);
        TDataPacket decoded;
        if (DecodePacket(single.bytes(), decoded, capacity).status != dsOversized)
            expected.push_back(packet);
    }
    require(deliver(writer.bytes(), capacity, pieces) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::span<const std::uint8_t> input(data, size);
    const bool packets = input[0] & 1;
    const std::size_t capacity = ReceiveBuffer::MinimumCapacity + (input[0] >> 1) * 24u;
    input = input.subspan(1);
    if (packets) {
        roundTrip(input, capacity);
    } else if (!input.empty()) {
        Pieces pieces(input[0]);
        deliver(input.subspan(1), capacity, pieces);
    }
    return 0;
}

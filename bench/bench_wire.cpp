// Packets per second and MB/s for encoding and decoding the packets the game sends.

#include "net/PacketCodec.h"
#include "net/ReceiveBuffer.h"
#include "net/ValueWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the compiler from dropping work whose result nobody reads.
void keep(const void *value)
{
    asm volatile("" : : "r"(value) : "memory");
}

// Runs round (which handles some packets and returns how many) until about half a second has
// passed, three times, and reports the best rate.
template <typename Round>
void measure(const char *name, std::size_t packetBytes, Round &&round)
{
    double best = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::size_t packets = 0;
        const Clock::time_point start = Clock::now();
        std::chrono::duration<double> elapsed{};
        do {
            for (int i = 0; i < 64; ++i)
                packets += round();
            elapsed = Clock::now() - start;
        } while (elapsed.count() < 0.5);
        best = std::max(best, double(packets) / elapsed.count());
    }
    std::printf("%-28s %10.2f M packets/s %10.1f MB/s\n", name, best / 1e6,
                best * double(packetBytes) / 1e6);
}

std::vector<std::uint8_t> encode(const TDataPacket &packet)
{
    ValueWriter writer;
    EncodePacket(packet, writer);
    return {writer.bytes().begin(), writer.bytes().end()};
}

void singlePacket(const char *name, const TDataPacket &packet)
{
    ValueWriter writer;
    const std::vector<std::uint8_t> bytes = encode(packet);
    std::string label = std::string(name) + ", encode";
    measure(label.c_str(), bytes.size(), [&] {
        writer.clear();
        EncodePacket(packet, writer);
        keep(writer.bytes().data());
        return 1;
    });

    TDataPacket decoded;
    label = std::string(name) + ", decode";
    measure(label.c_str(), bytes.size(), [&] {
        const TDecodeResult result = DecodePacket(bytes, decoded);
        keep(&result);
        keep(decoded.Text.data());
        return 1;
    });
}

void moveBatch()
{
    const TDataPacket move{0, pkMove, 0, {}, 4};
    const std::size_t count = 65536 / encode(move).size();
    ValueWriter writer;
    measure("64 KiB of moves, encode", 22, [&] {
        writer.clear();
        for (std::size_t i = 0; i < count; ++i)
            EncodePacket(move, writer);
        keep(writer.bytes().data());
        return count;
    });

    // Through the receive path: appended as one read, then taken packet by packet.
    const std::vector<std::uint8_t> batch(writer.bytes().begin(), writer.bytes().end());
    ReceiveBuffer buffer;
    TDataPacket packet;
    measure("64 KiB of moves, receive", 22, [&] {
        buffer.append(batch);
        std::size_t taken = 0;
        while (buffer.take(packet))
            ++taken;
        if (taken != count) {
            std::fprintf(stderr, "receive path lost packets\n");
            std::exit(1);
        }
        keep(&packet);
        return taken;
    });
}

} // namespace

int main()
{
    singlePacket("move", {0, pkMove, 0, {}, 4});
    singlePacket("name", {0, pkName, 0, "Spielerin", 0});
    singlePacket("1 KiB chat", {0, pkChat, 0, std::string(1024, 'c'), 0});
    moveBatch();
    return 0;
}

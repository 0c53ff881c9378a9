// A hostile peer against one main window over loopback: for ten seconds it writes, as fast as
// the connection takes them, names and chat lines, new games, moves out of turn and into full
// columns; then one more chat line. Printed: the longest stall of the window's event loop, its
// memory after the flood against the memory at rest, and how long the last line took to show.
// Once with packets under 64 KiB, once with names and lines just under the receive bound.
// Run by hand on a Release tree; prints figures only.

#include "BenchSupport.h"
#include "HostilePeer.h"
#include "app/Unit1.h"
#include "net/PacketCodec.h"
#include "platform/Application.h"

#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace bench;

constexpr int FloodSeconds = 10;
constexpr int WatchdogMs = 120000;
const std::string LastLine = "Mallory: Ende";

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

class WatchedForm : public TForm1
{
public:
    std::int64_t lastLineNs = 0;
    std::function<void()> onLastLine;

    // Time spent handling each kind of packet, and how many.
    std::int64_t kindNs[5] = {};
    int kindCount[5] = {};

    void HandlePacket(const TDataPacket &Packet) override
    {
        const std::int64_t t0 = nowNs();
        TForm1::HandlePacket(Packet);
        if (Packet.Kind >= 0 && Packet.Kind < 5) {
            kindNs[Packet.Kind] += nowNs() - t0;
            ++kindCount[Packet.Kind];
        }
        if (Packet.Kind == pkChat && Packet.Text == LastLine && !lastLineNs) {
            lastLineNs = nowNs();
            if (onLastLine)
                onLastLine();
        }
    }
};

void put(HostilePeer::Bytes &bytes, std::int32_t kind, const std::string &text = {}, int column = 0)
{
    ValueWriter writer;
    EncodePacket({0, kind, 0, text, column}, writer);
    bytes.insert(bytes.end(), writer.bytes().begin(), writer.bytes().end());
}

// One round of the mix. A game from the peer, a move in its turn and then only moves out of
// turn: six more into the same column, which fill it, and ones outside the board.
HostilePeer::Bytes round(bool huge)
{
    HostilePeer::Bytes bytes;
    // Just under what a receiver like us takes whole.
    const std::size_t nearBound = ReceiveBuffer::Capacity - 64;
    put(bytes, pkName, huge ? std::string(nearBound, 'M') : "Mallory");
    if (huge)
        put(bytes, pkChat, "Mallory: " + std::string(nearBound - 9, 'x'));
    put(bytes, pkNewGame);
    for (int i = 0; i < 7; ++i)
        put(bytes, pkMove, {}, 1);
    put(bytes, pkMove, {}, 0);
    put(bytes, pkMove, {}, 9);
    std::string line = "Mallory: ";
    while (line.size() < 200)
        line += "lorem ipsum ";
    line.resize(200);
    for (int i = 0; i < 20; ++i)
        put(bytes, pkChat, line);
    return bytes;
}

bool runPhase(WatchedForm &form, bool huge, long restKiB)
{
    form.PortText = QStringLiteral("0");
    form.DoListen();
    winsock::sockaddr_in address{};
    int length = sizeof address;
    if (form.ConnState != cnListening || winsock::getsockname(form.Sock, &address, &length) != 0)
        return false;
    HostilePeer peer;
    if (!peer.connectTo(winsock::ntohs(address.sin_port)))
        return false;
    QEventLoop loop;
    QTimer::singleShot(WatchdogMs, &loop, [&] { loop.exit(1); });
    while (form.ConnState != cnConnected)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    HostilePeer::Bytes tail;
    put(tail, pkChat, LastLine);
    StallWatch watch;
    watch.start();
    form.lastLineNs = 0;
    form.onLastLine = [&] {
        watch.stopAfterNextTick([&] { loop.exit(0); });
    };
    peer.flood({round(huge)}, FloodSeconds, tail);
    const int failed = loop.exec();
    peer.join();
    form.onLastLine = nullptr;

    std::printf("%s packets: %.1f MB sent in %d s\n", huge ? "near 1 MiB" : "under 64 KiB",
                double(peer.bytesSent) / 1e6, FloodSeconds);
    if (failed) {
        std::printf("  the last line never arrived\n");
        return false;
    }
    std::printf("  longest stall of the event loop: %.1f ms (target %s)\n", ms(watch.longestNs),
                huge ? "under 1 s" : "under 100 ms");
    std::printf("  memory: %ld MiB at rest, %ld MiB after the flood, %+ld MiB (target at most "
                "+64 MiB)\n",
                restKiB / 1024, residentKiB() / 1024, (residentKiB() - restKiB) / 1024);
    std::printf("  last line shown %.1f ms after it was sent (target under 1 s)\n",
                ms(form.lastLineNs - peer.tailSentNs));
    std::printf("  history: %d characters\n", form.Memo2()->document()->characterCount());
    const char *kinds[] = {"moves", "disconnects", "new games", "chat lines", "names"};
    for (int k = 0; k < 5; ++k)
        std::printf("  %d %s handled in %.1f ms\n", form.kindCount[k], kinds[k],
                    ms(form.kindNs[k]));
    form.Disconnect1Click();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    NameAnswerer names(QStringLiteral("Bench"));
    WatchedForm form;
    form.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    const long rest = residentKiB();
    // "small" or "huge" runs one of the two only.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool done = (only == "huge" || runPhase(form, false, rest)) &&
                      (only == "small" || runPhase(form, true, rest));
    return done ? 0 : 1;
}

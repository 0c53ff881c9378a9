#include "app/Unit1.h"

#include "net/PacketCodec.h"
#include "net/ValueReader.h"
#include "net/ValueWriter.h"
#include "platform/Application.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

using namespace winsock;

namespace {

// Measuring peeks grow by this much, and one notification reads at most ReadLimit bytes:
// more waiting bytes bring another notification, as the next recv re-arms it.
constexpr int PeekStep = 255;
constexpr int ReadLimit = 64 * 1024;
// How long one hand-on may hold the event loop before it lets the window breathe; a read
// event and the queued rest may both come in one pass of the loop.
constexpr int HandOnSliceMs = 8;

int sendBytes(SOCKET Socket, std::span<const std::uint8_t> Bytes)
{
    return send(Socket, reinterpret_cast<const char *>(Bytes.data()), int(Bytes.size()), 0);
}

// Whether a peer like us takes the packet whole: its receive buffer drops a larger one as it
// arrives. Judged by the peer's own decoder, near the bound.
bool FitsPeer(std::span<const std::uint8_t> Bytes)
{
    if (Bytes.size() + 16 < ReceiveBuffer::Capacity)
        return true;
    TDataPacket Scratch;
    return DecodePacket(Bytes, Scratch, ReceiveBuffer::Capacity).status == dsPacket;
}

} // namespace

bool TForm1::TagDiffers(std::string_view Tag) const
{
    return ::TagDiffers(Tag);
}

void TForm1::SendPacket(SOCKET Socket, const TDataPacket &Packet)
{
    // A text that no peer like us could take whole is not even encoded.
    if (Socket == 0 || Packet.Text.size() > ReceiveBuffer::Capacity)
        return;
    if (Socket != OutgoingSocket) {
        Outgoing.clear();
        OutgoingSocket = Socket;
    }
    TDataPacket Copy = Packet;
    Copy.Id = 0;
    Copy.Origin = 0;
    ValueWriter Writer;
    EncodePacket(Copy, Writer);
    const std::span<const std::uint8_t> Bytes = Writer.bytes();
    if (!FitsPeer(Bytes))
        return;

    // Behind bytes that still wait: all or nothing.
    if (!Outgoing.empty()) {
        Outgoing.push(Bytes);
        return;
    }
    int Sent = sendBytes(Socket, Bytes);
    if (Sent < 0) {
        // Any failure but a full send buffer loses the packet, silently.
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return;
        Sent = 0;
    }
    // The rest fits, as the queue was empty; FD_WRITE sends it.
    Outgoing.push(Bytes.subspan(std::size_t(Sent)));
}

void TForm1::FlushSendQueue(SOCKET Socket)
{
    if (Socket == OutgoingSocket)
        Outgoing.flush(
            [Socket](std::span<const std::uint8_t> Bytes) { return sendBytes(Socket, Bytes); });
}

void TForm1::ReceivePackets(SOCKET Socket)
{
    if (Socket != IncomingSocket) {
        Incoming.clear();
        IncomingSocket = Socket;
        IncomingClosed = false;
    }
    // A full buffer holds whole packets: hand them on first, or no recv would re-arm FD_READ.
    if (Incoming.room() == 0)
        HandOnPackets(Socket);
    if (IncomingSocket != Socket)
        return;

    // Measure what waits with growing peeks, then read it in one call; never more than the
    // buffer can take, so nothing read is ever thrown away.
    const int Limit = int(std::min<std::size_t>(Incoming.room(), ReadLimit));
    if (Limit > 0) {
        std::vector<char> Bytes(std::size_t(Limit), 0);
        int Size = 0;
        int Waiting = 0;
        do {
            Size = std::min(Size + PeekStep, Limit);
            Waiting = recv(Socket, Bytes.data(), Size, MSG_PEEK);
        } while (Waiting == Size && Size < Limit);
        const int Read = Waiting > 0 ? recv(Socket, Bytes.data(), Waiting, 0) : 0;
        if (Read > 0)
            Incoming.append(
                {reinterpret_cast<const std::uint8_t *>(Bytes.data()), std::size_t(Read)});
    }
    HandOnPackets(Socket);
}

void TForm1::HandOnPackets(SOCKET Socket)
{
    // Each packet leaves the buffer before it is handed on: a nested call, run while a dialog
    // opened by HandlePacket is open, goes on with the next one. The buffer may have been
    // cleared or rebound meanwhile.
    TDataPacket Packet;
    QElapsedTimer Busy;
    Busy.start();
    ++HandOnDepth;
    try {
        while (IncomingSocket == Socket && Incoming.take(Packet)) {
            Packet.Origin = Socket;
            HandlePacket(Packet);
            // A flood must not hold up the window: the rest follows once the loop has run.
            if (Busy.elapsed() >= HandOnSliceMs) {
                ContinueHandingOn(Socket);
                break;
            }
        }
    } catch (const EReadError &) {
        // Ends the handing on silently; what waits behind comes right after.
        ContinueHandingOn(Socket);
    } catch (...) {
        // The failure goes on to the error box; what waits behind comes right after, rather
        // than waiting for the peer's next bytes.
        --HandOnDepth;
        FlushHistory();
        ContinueHandingOn(Socket);
        throw;
    }
    --HandOnDepth;
    FlushHistory();
    if (HandOnDepth == 0 && IncomingClosed && !HandOnPending)
        ClearConnectionBuffers();
}

void TForm1::ContinueHandingOn(SOCKET Socket)
{
    if (HandOnPending)
        return;
    HandOnPending = true;
    QMetaObject::invokeMethod(
        this,
        [this, Socket] {
            HandOnPending = false;
            if (IncomingSocket != Socket)
                return;
            // Reading again re-arms FD_READ, which a full buffer may have held back.
            TApplication::Protect(
                [&] { IncomingClosed ? HandOnPackets(Socket) : ReceivePackets(Socket); });
        },
        Qt::QueuedConnection);
}

void TForm1::ClearConnectionBuffers()
{
    Outgoing.clear();
    OutgoingSocket = 0;
    // Packets that arrived before the close still reach the history once the dialog that
    // holds up their hand-on returns; the hand-on drops the buffer when it is through.
    IncomingClosed = HandOnDepth > 0 || HandOnPending;
    if (!IncomingClosed) {
        Incoming.clear();
        IncomingSocket = 0;
    }
}

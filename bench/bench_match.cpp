// Two copies of the main window in two processes over loopback: the latency of a move from one
// board to the other, and a chat flood. Run by hand on a Release tree; prints figures only.
//
// The program starts a copy of itself with "--peer <port>" (the harness's own argument): this
// process listens, the copy connects and moves first. steady_clock is the same clock in both
// processes, so times taken in one can be compared with times taken in the other.

#include "BenchSupport.h"
#include "app/Unit1.h"
#include "platform/Application.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

using namespace bench;

constexpr int MoveCount = 1000;
constexpr int ChatCount = 20000;
constexpr int WatchdogMs = 120000;
// Lets the receiver go idle between the two measurements.
constexpr int FloodDelayMs = 200;

QString chatLine(int index)
{
    return QStringLiteral("Bench: %1").arg(index);
}

struct Placement
{
    int column;
    int row;
};

class BenchForm : public TForm1
{
public:
    // Times at which this side's moves went to the socket and the peer's were on the board.
    std::vector<std::int64_t> sent;
    std::vector<std::int64_t> received;
    int chatsReceived = 0;
    int firstChatOutOfOrder = -1;
    std::int64_t lastChatNs = 0;

    std::function<void()> onNamed;
    std::function<void()> onMovesDone;
    std::function<void()> onChatsDone;

    explicit BenchForm(unsigned seed) : m_random(seed) {}

    int movesSeen() const { return int(sent.size() + received.size()); }

    // The time starts when the move goes to the socket, after the sender's own repaint.
    void SendPacket(winsock::SOCKET Socket, const TDataPacket &Packet) override
    {
        if (Packet.Kind == pkMove)
            sent.push_back(nowNs());
        TForm1::SendPacket(Socket, Packet);
    }

    // The board is repainted within the base handling, so its return is when the piece shows.
    void HandlePacket(const TDataPacket &Packet) override
    {
        TForm1::HandlePacket(Packet);
        const std::int64_t done = nowNs();
        switch (Packet.Kind) {
        case pkMove:
            received.push_back(done);
            if (movesSeen() >= MoveCount)
                finishMoves();
            else if (GameState == gsMyTurn)
                QTimer::singleShot(0, this, [this] { nextMove(); });
            break;
        case pkChat:
            chatArrived(Packet, done);
            break;
        case pkName:
            if (onNamed)
                onNamed();
            break;
        default:
            break;
        }
    }

    // Once the connection is made and the first game runs on this side.
    void startMoves()
    {
        if (ConnState == cnConnected && GameState == gsMyTurn)
            nextMove();
        else
            QTimer::singleShot(1, this, [this] { startMoves(); });
    }

    void nextMove()
    {
        if (movesSeen() >= MoveCount || GameState != gsMyTurn)
            return;
        std::optional<Placement> move = harmlessMove();
        if (!move) {
            StartNewGame();
            move = harmlessMove();
        }
        if (!move)
            return;
        PlayMove(move->column, move->row);
        if (movesSeen() >= MoveCount)
            finishMoves();
    }

private:
    // A drop that completes no line of four, so that no game ends in a win and no box opens.
    std::optional<Placement> harmlessMove()
    {
        const int first = int(m_random() % TBoard::Columns);
        for (int i = 0; i < TBoard::Columns; ++i) {
            const int column = (first + i) % TBoard::Columns + 1;
            for (int row = 1; row <= TBoard::Rows; ++row) {
                if (!Board.acceptsDropAt(column, row))
                    continue;
                TBoard trial = Board;
                trial.dropAt(column, row, cellMine);
                if (!trial.scanWins(cellMine, {}))
                    return Placement{column, row};
                break;
            }
        }
        return std::nullopt;
    }

    void finishMoves()
    {
        if (m_movesDone)
            return;
        m_movesDone = true;
        if (onMovesDone)
            onMovesDone();
    }

    void chatArrived(const TDataPacket &Packet, std::int64_t done)
    {
        const int index = chatsReceived++;
        lastChatNs = done;
        if (firstChatOutOfOrder < 0 && Packet.Text != chatLine(index).toStdString())
            firstChatOutOfOrder = index;
        if (chatsReceived == ChatCount && onChatsDone)
            onChatsDone();
    }

    std::minstd_rand m_random;
    bool m_movesDone = false;
};

void failAfter(BenchForm &form, const char *side, bool &failed)
{
    QTimer::singleShot(WatchdogMs, &form, [&form, side, &failed] {
        std::fprintf(stderr, "%s: gave up: %d of %d moves, %d of %d chat lines\n", side,
                     form.movesSeen(), MoveCount, form.chatsReceived, ChatCount);
        failed = true;
        form.close();
    });
}

// The connecting copy: moves first, floods the chat, reports its times on standard output
// once the listening side has closed the connection.
int runPeer(TApplication &app, const QString &port)
{
    NameAnswerer answerer(QStringLiteral("Peer"));
    BenchForm form(2);
    form.show();
    bool failed = false;
    failAfter(form, "peer", failed);

    std::int64_t floodStart = 0;
    std::int64_t floodSent = 0;
    const auto flood = [&] {
        floodStart = nowNs();
        for (int i = 0; i < ChatCount; ++i)
            form.SendChat(chatLine(i));
        floodSent = nowNs();
    };
    form.onNamed = [&] {
        QTimer::singleShot(0, &form, [&] { form.startMoves(); });
    };
    form.onMovesDone = [&] {
        QTimer::singleShot(FloodDelayMs, &form, flood);
    };

    QTimer closeWatch;
    bool wasConnected = false;
    QObject::connect(&closeWatch, &QTimer::timeout, &form, [&] {
        if (form.ConnState == cnConnected)
            wasConnected = true;
        else if (wasConnected)
            form.close();
    });
    closeWatch.start(10);

    form.AddressText = QStringLiteral("127.0.0.1");
    form.PortText = port;
    form.DoConnect();
    app.Run();

    for (const std::int64_t t : form.sent)
        std::printf("S %lld\n", static_cast<long long>(t));
    for (const std::int64_t t : form.received)
        std::printf("R %lld\n", static_cast<long long>(t));
    std::printf("F %lld %lld\n", static_cast<long long>(floodStart),
                static_cast<long long>(floodSent));
    std::fflush(stdout);
    return failed ? 1 : 0;
}

struct PeerTimes
{
    std::vector<std::int64_t> sent;
    std::vector<std::int64_t> received;
    std::int64_t floodStart = 0;
    std::int64_t floodSent = 0;
};

PeerTimes parsePeer(const QByteArray &output)
{
    PeerTimes times;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2 && fields[0] == "S")
            times.sent.push_back(fields[1].toLongLong());
        else if (fields.size() == 2 && fields[0] == "R")
            times.received.push_back(fields[1].toLongLong());
        else if (fields.size() == 3 && fields[0] == "F") {
            times.floodStart = fields[1].toLongLong();
            times.floodSent = fields[2].toLongLong();
        }
    }
    return times;
}

// Arrival minus departure for the moves both sides saw.
void addLatencies(std::vector<std::int64_t> &into, const std::vector<std::int64_t> &sent,
                  const std::vector<std::int64_t> &received)
{
    const std::size_t n = std::min(sent.size(), received.size());
    for (std::size_t i = 0; i < n; ++i)
        into.push_back(received[i] - sent[i]);
}

void printLatency(std::vector<std::int64_t> latencies)
{
    std::printf("Move latency over loopback, %zu moves, both directions\n", latencies.size());
    std::printf("  (timed from the move's send until the peer's HandlePacket returned, its\n"
                "   board repainted)\n");
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    const std::size_t n = latencies.size();
    const std::int64_t median =
        n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2;
    // Nearest rank.
    const std::size_t p99 = std::min(n - 1, (n * 99 + 99) / 100 - 1);
    std::printf("  median %9.3f ms   (target < 0.5 ms)\n", ms(median));
    std::printf("  p99    %9.3f ms   (target < 2 ms)\n", ms(latencies[p99]));
    std::printf("  max    %9.3f ms\n", ms(latencies.back()));
}

// The listening copy: starts the peer, answers its moves, receives the flood and prints.
int runHost(TApplication &app)
{
    NameAnswerer answerer(QStringLiteral("Host"));
    BenchForm form(1);
    form.show();
    bool failed = false;
    failAfter(form, "host", failed);

    form.PortText = QStringLiteral("0");
    form.DoListen();
    if (form.ConnState != cnListening) {
        std::fprintf(stderr, "host: could not listen\n");
        return 1;
    }
    winsock::sockaddr_in address{};
    int length = sizeof address;
    winsock::getsockname(form.Sock, &address, &length);
    const int port = winsock::ntohs(address.sin_port);

    QProcess peer;
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--peer"), QString::number(port)});
    if (!peer.waitForStarted(10000)) {
        std::fprintf(stderr, "host: could not start the peer\n");
        return 1;
    }
    QObject::connect(&peer, &QProcess::finished, &form, [&] {
        if (form.chatsReceived < ChatCount) {
            std::fprintf(stderr, "host: the peer ended early\n");
            failed = true;
            form.close();
        }
    });

    StallWatch stalls;
    form.onMovesDone = [&] {
        stalls.start();
    };
    form.onChatsDone = [&] {
        stalls.stopAfterNextTick([&] {
            form.Disconnect1Click();
            form.close();
        });
    };
    app.Run();

    if (form.ConnState != cnDisconnected)
        form.Disconnect1Click();
    if (!peer.waitForFinished(10000)) {
        std::fprintf(stderr, "host: the peer did not end; killed\n");
        peer.kill();
        peer.waitForFinished(5000);
        return 1;
    }
    if (failed || peer.exitStatus() != QProcess::NormalExit || peer.exitCode() != 0)
        return 1;

    const PeerTimes times = parsePeer(peer.readAllStandardOutput());
    std::vector<std::int64_t> latencies;
    addLatencies(latencies, times.sent, form.received);
    addLatencies(latencies, form.sent, times.received);
    printLatency(std::move(latencies));

    const QTextDocument *history = form.Memo2()->document();
    const bool topIsLast = history->firstBlock().text() == chatLine(ChatCount - 1);
    std::printf("Chat flood, %d lines sent back to back by one side\n", ChatCount);
    std::printf("  all in the receiver's history     %9.3f ms   (target < 2000 ms)\n",
                ms(form.lastChatNs - times.floodStart));
    std::printf("  sender busy in SendChat           %9.3f ms\n",
                ms(times.floodSent - times.floodStart));
    std::printf("  receiver's longest stall          %9.3f ms   (target <= 100 ms)\n",
                ms(stalls.longestNs));
    if (form.firstChatOutOfOrder >= 0)
        std::printf("  lines out of order from line %d on\n", form.firstChatOutOfOrder);
    else if (!topIsLast)
        std::printf("  the history's top line is not the last line sent\n");
    else
        std::printf("  all lines arrived in order\n");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype peer = arguments.indexOf(QStringLiteral("--peer"));
    if (peer >= 0 && peer + 1 < arguments.size())
        return runPeer(app, arguments[peer + 1]);
    return runHost(app);
}

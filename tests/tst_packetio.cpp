// Packets between the main window and a peer over real loopback sockets.
#include "MatchSupport.h"
#include "net/PacketText.h"
#include "net/ValueReader.h"

#include <QDeadlineTimer>

#include <chrono>
#include <stdexcept>
#include <thread>

using namespace winsock;

namespace {

TDataPacket packet(std::int32_t kind, std::size_t textLength = 0, std::int32_t column = 0)
{
    return {0, kind, 0, std::string(textLength, char('a' + column % 26)), column};
}

// Runs the event loop until done() holds; false on time-out. Unlike QTest::qWaitFor it does
// not sleep between passes, which matters when waiting for every single byte.
bool spinUntil(int timeout, const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(timeout);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Stands in for the dispatcher: records every packet; a test may act on it.
class RecordingForm : public TForm1
{
public:
    QList<TDataPacket> handled;
    std::function<void(const TDataPacket &)> onPacket;

    void HandlePacket(const TDataPacket &packet) override
    {
        handled << packet;
        if (onPacket)
            onPacket(packet);
    }
};

} // namespace

class tst_PacketIO : public QObject
{
    Q_OBJECT

    // Every message box as "caption|text|icon"; every modal window, the name question at the
    // window's start-up included, is closed.
    QStringList m_boxes;
    ModalAnswerer m_answerer{[this](QWidget *modal) {
        if (auto box = qobject_cast<QMessageBox *>(modal))
            m_boxes << box->windowTitle() + '|' + box->text() + '|' + QString::number(box->icon());
        modal->close();
    }};
    RecordingForm m_form;
    QObject m_peerWindow; // takes the peer's events, which nobody needs
    SOCKET m_peer = 0;
    SOCKET m_socket = 0; // the window's end

    // Lets the window read while the peer's socket is full.
    void sendFromPeer(const QByteArray &bytes)
    {
        for (qsizetype sent = 0; sent < bytes.size(); QCoreApplication::processEvents())
            sent += qMax(0, send(m_peer, bytes.constData() + sent, int(bytes.size() - sent), 0));
    }

    // Waits until as many packets as sent are handed on, and a little longer for any extra.
    void expectHandled(QList<TDataPacket> sent)
    {
        QVERIFY(spinUntil(30000, [&] { return m_form.handled.size() >= sent.size(); }));
        QTest::qWait(20);
        for (TDataPacket &p : sent)
            p.Origin = m_socket;
        QCOMPARE(m_form.handled, sent);
    }

private slots:
    void init()
    {
        const SOCKET listener = socket(AF_INET, SOCK_STREAM, 6);
        sockaddr_in address = {AF_INET, 0, {inet_addr("127.0.0.1")}, {}};
        int length = sizeof address;
        QCOMPARE(bind(listener, &address, length), 0);
        QCOMPARE(listen(listener, 1), 0);
        QCOMPARE(getsockname(listener, &address, &length), 0);
        m_peer = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(winsock::connect(m_peer, &address, length), 0);
        m_socket = accept(listener, nullptr, nullptr);
        closesocket(listener);
        QCOMPARE(WSAAsyncSelect(m_socket, &m_form, WM_USER, FD_READ | FD_CLOSE), 0);
        QCOMPARE(WSAAsyncSelect(m_peer, &m_peerWindow, WM_USER, FD_CLOSE), 0);
    }

    void cleanup()
    {
        closesocket(m_peer);
        closesocket(m_socket);
        m_form.ClearConnectionBuffers();
        m_form.handled.clear();
        m_form.onPacket = nullptr;
        m_boxes.clear();
    }

    void receiveByteByByte()
    {
        // Texts of both length forms, integers of every class, Id kept, Origin replaced by the
        // socket: each packet split at every byte.
        QList<TDataPacket> packets = {{7, pkName, 9, std::string(255, 'n'), 0},
                                      {-200, -40000, 300, std::string(256, 'c'), 70000}};
        const QByteArray stream = encoded(packets);
        for (qsizetype sent = 1; sent <= stream.size(); ++sent) {
            QCOMPARE(send(m_peer, stream.constData() + sent - 1, 1, 0), 1);
            // Each read notification finds exactly the one new byte.
            QVERIFY(spinUntil(5000, [&] {
                const QByteArray handed = encoded(packets.first(m_form.handled.size()));
                return handed.size() + qsizetype(m_form.Incoming.size()) == sent;
            }));
        }
        // Then a packet that fills the buffer: 22 bytes in front of its text, room for the
        // widest Column and end marker behind it. The window must not read past it.
        packets << packet(pkChat, ReceiveBuffer::Capacity - 28) << packet(pkMove);
        sendFromPeer(encoded(packets.mid(2)));
        expectHandled(packets);
    }

    void floodLetsTheWindowBreathe()
    {
        // Packets that take their time, many in one read: the event loop runs in between,
        // and none is lost or reordered.
        QList<TDataPacket> packets;
        for (int i = 0; i < 3000; ++i)
            packets << packet(pkMove, 0, i);
        int handledSinceTick = 0;
        int mostWithoutTick = 0;
        m_form.onPacket = [&](const TDataPacket &) {
            mostWithoutTick = std::max(mostWithoutTick, ++handledSinceTick);
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        };
        QTimer tick;
        connect(&tick, &QTimer::timeout, this, [&] { handledSinceTick = 0; });
        tick.start(0);
        sendFromPeer(encoded(packets));
        expectHandled(packets);
        QCOMPARE_LT(mostWithoutTick, 1000);
    }

    void nestedReceiveGoesOn()
    {
        const QList<TDataPacket> packets = {packet(pkName, 3), packet(pkMove), packet(pkChat, 5)};
        const QByteArray stream = encoded(packets);
        // The first read ends inside the third packet.
        const qsizetype firstRead = encoded(packets.first(2)).size() + 3;
        m_form.onPacket = [&](const TDataPacket &) {
            if (m_form.handled.size() > 1)
                return;
            // A dialog opened by the first packet: the rest comes while its loop runs.
            sendFromPeer(stream.mid(firstRead));
            QVERIFY(spinUntil(5000, [&] { return m_form.handled.size() >= 3; }));
        };
        sendFromPeer(stream.first(firstRead));
        expectHandled(packets);
    }

    void handlerFailure()
    {
        // A read error ends the decoding silently, any other failure reaches the standard error
        // box; either way what was behind the failing packet is handed on right after, not
        // only once the peer sends again.
        m_form.onPacket = [](const TDataPacket &p) {
            if (p.Column == 1)
                throw EReadError(rsShort);
            if (p.Column == 3)
                throw std::runtime_error("Kaputt");
        };
        QList<TDataPacket> packets;
        for (int i = 0; i < 5; ++i)
            packets << packet(pkMove, 0, i);
        sendFromPeer(encoded(packets));
        expectHandled(packets);
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes, QStringList{"Dropstone|Kaputt.|3"}, 5000); // stop icon
    }

    void sending()
    {
        // Nothing goes to socket 0, nor a packet one byte larger than a peer's receive buffer
        // takes; Id and Origin go out as 0, the text in code page 1252.
        m_form.SendPacket(0, packet(pkMove, 0, 4));
        m_form.SendPacket(m_socket, packet(pkChat, ReceiveBuffer::Capacity - 27));
        m_form.SendPacket(m_socket, {5, pkName, 9, TextPacket(pkName, "Jörg € Ω").Text, 0});
        m_form.SendPacket(m_socket, packet(pkChat, ReceiveBuffer::Capacity - 28));
        QByteArray accepted = QByteArray::fromHex(
            "01 0608 4453494E31303030 0200 0204 0200 0608 4AF67267208020 3F 0200 00");
        accepted += encoded({packet(pkChat, ReceiveBuffer::Capacity - 28)});

        QByteArray received(accepted.size(), 0);
        qsizetype read = 0;
        QVERIFY(spinUntil(30000, [&] {
            read += qMax(0, recv(m_peer, received.data() + read, int(received.size() - read), 0));
            return read == received.size();
        }));
        QCOMPARE(received, accepted);
    }
};

DROPSTONE_TEST_MAIN(tst_PacketIO)
#include "tst_packetio.moc"

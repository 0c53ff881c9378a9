// Packets between the main window and a peer over real loopback sockets.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "net/PacketCodec.h"
#include "net/PacketText.h"
#include "net/ValueReader.h"

#include <QElapsedTimer>

#include <memory>
#include <stdexcept>

using namespace winsock;

namespace {

constexpr int Timeout = 30000;
const QByteArray tagHex = "0608 4453494E31303030";

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray encoded(const QList<TDataPacket> &packets)
{
    ValueWriter writer;
    for (const TDataPacket &packet : packets)
        EncodePacket(packet, writer);
    return QByteArray(reinterpret_cast<const char *>(writer.bytes().data()),
                      qsizetype(writer.bytes().size()));
}

TDataPacket packet(std::int32_t kind, std::size_t textLength = 0, std::int32_t column = 0)
{
    return {0, kind, 0, std::string(textLength, char('a' + column % 26)), column};
}

// Each packet as its fields, the text by its length and hash.
QStringList describe(const QList<TDataPacket> &packets)
{
    QStringList seen;
    for (const TDataPacket &p : packets)
        seen << QString::asprintf("%d/%d/%d/%zu:%zx/%d", p.Id, p.Kind, p.Origin, p.Text.size(),
                                  std::hash<std::string>{}(p.Text), p.Column);
    return seen;
}

// Runs the event loop until done() holds; false on time-out.
bool spinUntil(const std::function<bool()> &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > Timeout)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!done())
            QTest::qSleep(1);
    }
    return true;
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

    std::unique_ptr<RecordingForm> m_form;
    QObject m_peerWindow; // takes the peer's events, which nobody needs
    SOCKET m_peer = 0;
    SOCKET m_socket = 0; // the window's end

    // Sends from the peer in pieces; with afterEach, waits for it after every piece.
    void sendFromPeer(const QByteArray &bytes, qsizetype piece = 1 << 30,
                      const std::function<bool(qsizetype sent)> &afterEach = {})
    {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const int n =
                send(m_peer, bytes.constData() + sent, int(qMin(piece, bytes.size() - sent)), 0);
            if (n > 0)
                sent += n;
            else
                QTest::qWait(1); // full: let the window read
            if (n > 0 && afterEach)
                QVERIFY(spinUntil([&] { return afterEach(sent); }));
        }
    }

    // Reads at the peer into received until done() holds.
    void readAtPeer(QByteArray &received, const std::function<bool()> &done)
    {
        QByteArray buffer(1 << 16, 0);
        const bool finished = spinUntil([&] {
            int n;
            while ((n = recv(m_peer, buffer.data(), int(buffer.size()), 0)) > 0)
                received.append(buffer.constData(), n);
            return done();
        });
        QVERIFY(finished);
    }

    // Waits until as many packets as sent are handed on, and a little longer for any extra.
    void expectHandled(QList<TDataPacket> sent)
    {
        QVERIFY(spinUntil([&] { return m_form->handled.size() >= sent.size(); }));
        QTest::qWait(20);
        for (TDataPacket &p : sent)
            p.Origin = m_socket;
        QCOMPARE(describe(m_form->handled), describe(sent));
    }

private slots:
    void initTestCase()
    {
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        m_form = std::make_unique<RecordingForm>();
    }

    void cleanupTestCase() { m_form.reset(); }

    void init()
    {
        const SOCKET listener = socket(AF_INET, SOCK_STREAM, 6);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        int length = sizeof address;
        QCOMPARE(bind(listener, &address, length), 0);
        QCOMPARE(listen(listener, 1), 0);
        QCOMPARE(getsockname(listener, &address, &length), 0);
        m_peer = socket(AF_INET, SOCK_STREAM, 6);
        QCOMPARE(winsock::connect(m_peer, &address, length), 0);
        m_socket = accept(listener, nullptr, nullptr);
        QCOMPARE(closesocket(listener), 0);
        QVERIFY(m_socket > 0);
        QCOMPARE(WSAAsyncSelect(m_socket, m_form.get(), WM_USER, FD_READ | FD_CLOSE), 0);
        QCOMPARE(WSAAsyncSelect(m_peer, &m_peerWindow, WM_USER, FD_CLOSE), 0);
    }

    void cleanup()
    {
        closesocket(m_peer);
        closesocket(m_socket);
        m_form->ClearConnectionBuffers();
        m_form->handled.clear();
        m_form->onPacket = nullptr;
    }

    void receiveStream_data()
    {
        QTest::addColumn<QList<TDataPacket>>("packets");
        QTest::addColumn<int>("piece");
        QTest::addColumn<int>("tooBig"); // index of a packet that cannot fit the buffer, or -1

        QList<TDataPacket> small;
        for (int i = 0; i < 8; ++i) {
            small << packet(pkMove, 0, i) << TextPacket(pkName, QStringLiteral("Jürgen €"))
                  << packet(pkChat, 255 + i % 2, i) << TDataPacket{5, pkNewGame, 9, {}, 40000};
        }
        QTest::newRow("many packets, one byte at a time") << small << 1 << -1;
        // 22 bytes in front of a long text, room for the widest Column and end marker behind it.
        const std::size_t longest = ReceiveBuffer::Capacity - 22 - 6;
        QTest::newRow("longest and too long, in 64 KiB pieces")
            << QList<TDataPacket>{packet(pkMove, 0, 1), packet(pkChat, longest, 2),
                                  packet(pkMove, 0, 3), packet(pkChat, longest + 1, 4),
                                  packet(pkMove, 0, 5)}
            << 65536 << 3;
    }

    void receiveStream()
    {
        QFETCH(QList<TDataPacket>, packets);
        QFETCH(int, piece);
        QFETCH(int, tooBig);

        QList<TDataPacket> expected = packets;
        if (tooBig >= 0)
            expected.removeAt(tooBig);
        // One byte at a time: each read notification finds exactly the one new byte.
        const auto byteTaken = [&](qsizetype sent) {
            const qsizetype handled = m_form->handled.size();
            return encoded(expected.first(qMin(handled, expected.size()))).size() +
                       qsizetype(m_form->Incoming.size()) ==
                   sent;
        };
        sendFromPeer(encoded(packets), piece,
                     piece == 1 ? std::function<bool(qsizetype)>(byteTaken) : nullptr);
        expectHandled(expected);
    }

    void nestedReceiveGoesOn()
    {
        const QList<TDataPacket> packets = {TextPacket(pkName, "abc"), packet(pkNewGame),
                                            packet(pkMove, 0, 3), TextPacket(pkChat, "Hallo")};
        const QByteArray stream = encoded(packets);
        // The first read ends inside the third packet.
        const qsizetype firstRead = encoded(packets.first(2)).size() + 3;
        RecordingForm &form = *m_form;
        form.onPacket = [&](const TDataPacket &) {
            if (form.handled.size() > 1)
                return;
            // A dialog opened by the first packet: the rest comes while its loop runs.
            sendFromPeer(stream.mid(firstRead));
            QVERIFY(spinUntil([&] { return form.handled.size() >= packets.size(); }));
        };
        sendFromPeer(stream.first(firstRead));
        expectHandled(packets);
    }

    void handlerFailure_data()
    {
        QTest::addColumn<bool>("readError");
        QTest::addColumn<QStringList>("boxes");

        QTest::newRow("read error: silent") << true << QStringList();
        QTest::newRow("other failure: standard error box")
            << false << QStringList{"Dropstone|Kaputt.|3"}; // 3: the stop icon
    }

    void handlerFailure()
    {
        QFETCH(bool, readError);
        QFETCH(QStringList, boxes);

        QStringList seen;
        ModalAnswerer answerer([&](QWidget *modal) {
            if (auto box = qobject_cast<QMessageBox *>(modal))
                seen << QStringLiteral("%1|%2|%3")
                            .arg(box->windowTitle(), box->text())
                            .arg(int(box->icon()));
            modal->close();
        });
        RecordingForm &form = *m_form;
        form.onPacket = [&](const TDataPacket &p) {
            if (p.Kind != pkChat)
                return;
            if (readError)
                throw EReadError(rsShort);
            throw std::runtime_error("Kaputt");
        };
        const QList<TDataPacket> packets = {packet(pkMove, 0, 1), packet(pkChat, 1, 2),
                                            packet(pkMove, 0, 3), packet(pkMove, 0, 4)};
        sendFromPeer(encoded(packets.first(3)));
        QVERIFY(spinUntil([&] { return form.handled.size() >= 2 && seen.size() >= boxes.size(); }));
        QTest::qWait(50);
        QCOMPARE(seen, boxes);
        // The program carries on; what was behind the failing packet comes with the next read.
        sendFromPeer(encoded({packets[3]}));
        expectHandled(packets);
    }

    void sendPacket_data()
    {
        QTest::addColumn<TDataPacket>("packet");
        QTest::addColumn<bool>("toSocket0");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("Id and Origin go out as 0")
            << TDataPacket{5, pkMove, 9, {}, 4} << false
            << QByteArray::fromHex("01" + tagHex + "0200 0200 0200 0600 0204 00");
        QTest::newRow("name in code page 1252, ? outside it")
            << TextPacket(pkName, QStringLiteral("Jörg € Ω")) << false
            << QByteArray::fromHex("01" + tagHex + "0200 0204 0200 0608 4AF67267208020 3F 0200 00");
        QTest::newRow("socket 0") << packet(pkMove, 0, 4) << true << QByteArray();
        QTest::newRow("one byte past 4 MiB")
            << packet(pkChat, SendQueue::Capacity - 24) << false << QByteArray();
    }

    void sendPacket()
    {
        QFETCH(TDataPacket, packet);
        QFETCH(bool, toSocket0);
        QFETCH(QByteArray, bytes);

        const TDataPacket before = packet;
        m_form->SendPacket(toSocket0 ? 0 : m_socket, packet);
        QCOMPARE(packet, before);
        const TDataPacket last = ::packet(pkMove, 0, 7);
        m_form->SendPacket(m_socket, last);
        const QByteArray expected = bytes + encoded({last});
        QByteArray received;
        readAtPeer(received, [&] { return received.size() >= expected.size(); });
        QCOMPARE(received, expected);
    }

    void slowPeer_data()
    {
        QTest::addColumn<int>("chatLength");

        QTest::newRow("1 KiB chat lines") << 1024;
        QTest::newRow("300 KiB chat lines") << 300 * 1024;
    }

    void slowPeer()
    {
        QFETCH(int, chatLength);

        // Chat lines and moves by turns, numbered in Column, while the peer reads nothing. Once
        // the queue is nearly full the chat lines are dropped and moves still fit behind them.
        RecordingForm &form = *m_form;
        QList<int> accepted;
        qsizetype acceptedBytes = 0;
        int dropped = 0;
        int acceptedAfterDrop = 0;
        for (int i = 0; dropped < 10 && i < 100000; ++i) {
            const TDataPacket p =
                i % 2 ? packet(pkMove, 0, i) : packet(pkChat, std::size_t(chatLength), i);
            const bool waiting = !form.Outgoing.empty();
            const std::size_t before = form.Outgoing.size();
            form.SendPacket(m_socket, p);
            if (waiting && form.Outgoing.size() == before) {
                ++dropped;
                continue;
            }
            accepted << i;
            acceptedBytes += encoded({p}).size();
            acceptedAfterDrop += dropped > 0;
        }
        QCOMPARE(dropped, 10);
        QVERIFY(acceptedAfterDrop > 0);
        const auto chatSize =
            std::size_t(encoded({packet(pkChat, std::size_t(chatLength))}).size());
        QVERIFY(form.Outgoing.size() > SendQueue::Capacity - chatSize);

        QByteArray received;
        readAtPeer(received, [&] { return form.Outgoing.empty(); });
        form.SendPacket(m_socket, packet(pkDisconnect, 0, -1));
        accepted << -1;
        acceptedBytes += encoded({packet(pkDisconnect, 0, -1)}).size();
        readAtPeer(received, [&] { return received.size() >= acceptedBytes; });

        QList<int> columns;
        TDataPacket p;
        for (auto rest = bytesOf(received); !rest.empty();) {
            const TDecodeResult result = DecodePacket(rest, p);
            QCOMPARE(result.status, dsPacket);
            columns << p.Column;
            rest = rest.subspan(result.length);
        }
        QCOMPARE(columns, accepted);
    }

    void reportSocketError_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("text");

        QTest::newRow("closesocket") << WSAENOTSOCK << "Disconnect (closesocket)"
                                     << "Error 10038 in function Disconnect (closesocket)\r\n"
                                        "Socket operation on non-socket";
        QTest::newRow("code without a text") << 10080 << "Liten(WSAASyncSelect)"
                                             << "Error 10080 in function Liten(WSAASyncSelect)\r\n"
                                                "Not a WinSock error";
    }

    void reportSocketError()
    {
        QFETCH(int, code);
        QFETCH(QString, where);
        QFETCH(QString, text);

        BoxSeen seen{};
        ModalAnswerer answerer([&](QWidget *modal) {
            if (auto box = qobject_cast<QMessageBox *>(modal))
                seen = describeBox(box);
            modal->close();
        });
        WSAFailNext("listen", code);
        QCOMPARE(listen(m_peer, 1), SOCKET_ERROR);
        m_form->ReportSocketError(where);
        QCOMPARE(seen.caption, QStringLiteral("Winsock Error"));
        QCOMPARE(seen.text, text);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
    }
};

DROPSTONE_TEST_MAIN(tst_PacketIO)
#include "tst_packetio.moc"

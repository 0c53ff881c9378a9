#include "net/PacketCodec.h"
#include "net/ReceiveBuffer.h"
#include "net/ValueReader.h"
#include "net/ValueWriter.h"

#include <QTest>

namespace {

const QByteArray tagHex = "060844 53 49 4E 31 30 30 30";

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray toByteArray(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray hex(const QByteArray &text)
{
    return QByteArray::fromHex(text);
}

TDataPacket makePacket(std::int32_t kind, const std::string &text = {}, std::int32_t column = 0,
                       std::int32_t id = 0, std::int32_t origin = 0)
{
    return {id, kind, origin, text, column};
}

QByteArray encoded(const TDataPacket &packet)
{
    ValueWriter writer;
    EncodePacket(packet, writer);
    return toByteArray(writer.bytes());
}

// The packet without its final end marker.
QByteArray fieldsOf(const TDataPacket &packet)
{
    return encoded(packet).chopped(1);
}

QString describe(const TDataPacket &packet)
{
    const QString text = QString::fromLatin1(packet.Text.data(), qsizetype(packet.Text.size()));
    const QString shown = text.size() > 8 ? QStringLiteral("%1 bytes").arg(text.size()) : text;
    return QStringLiteral("%1/%2/%3/%4/%5")
        .arg(packet.Id)
        .arg(packet.Kind)
        .arg(packet.Origin)
        .arg(shown)
        .arg(packet.Column);
}

QStringList drain(ReceiveBuffer &buffer)
{
    QStringList handled;
    TDataPacket packet;
    while (buffer.take(packet))
        handled << describe(packet);
    return handled;
}

// Delivers bytes as a reader with room() would, taking packets after every piece.
QStringList feed(ReceiveBuffer &buffer, QByteArray bytes, qsizetype piece = 1 << 30)
{
    QStringList handled;
    while (!bytes.isEmpty()) {
        const std::size_t taken = buffer.append(bytesOf(bytes.first(qMin(piece, bytes.size()))));
        if (buffer.size() > buffer.capacity() || taken == 0)
            return {QStringLiteral("buffer stuck at %1 bytes").arg(buffer.size())};
        bytes.remove(0, qsizetype(taken));
        handled += drain(buffer);
    }
    return handled;
}

const TDataPacket move4 = makePacket(pkMove, {}, 4);
const TDataPacket nameAbc = makePacket(pkName, "abc");
const TDataPacket chat = makePacket(pkChat, "Hallo");

} // namespace

class WireTest : public QObject
{
    Q_OBJECT

private slots:
    void integers_data();
    void integers();
    void strings_data();
    void strings();
    void packetExamples_data();
    void packetExamples();
    void reads_data();
    void reads();
    void batches_data();
    void batches();
    void streamCutAnywhere();
    void capacity_data();
    void capacity();
    void impossibleLengths_data();
    void impossibleLengths();
};

void WireTest::integers_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("-1") << -1 << hex("02FF");
    QTest::newRow("127") << 127 << hex("027F");
    QTest::newRow("128") << 128 << hex("038000");
    QTest::newRow("-128") << -128 << hex("0280");
    QTest::newRow("-129") << -129 << hex("037FFF");
    QTest::newRow("32767") << 32767 << hex("03FF7F");
    QTest::newRow("-32768") << -32768 << hex("030080");
    QTest::newRow("32768") << 32768 << hex("0400800000");
    QTest::newRow("-32769") << -32769 << hex("04FF7FFFFF");
    QTest::newRow("max") << INT_MAX << hex("04FFFFFF7F");
    QTest::newRow("min") << INT_MIN << hex("0400000080");
}

void WireTest::integers()
{
    QFETCH(int, value);
    QFETCH(QByteArray, bytes);

    ValueWriter writer;
    writer.PutInteger(value);
    QCOMPARE(toByteArray(writer.bytes()), bytes);
    ValueReader reader(bytesOf(bytes));
    QCOMPARE(reader.GetInteger(), value);
    QCOMPARE(reader.position(), std::size_t(bytes.size()));
}

void WireTest::strings_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("header");

    QTest::newRow("empty") << 0 << hex("0600");
    QTest::newRow("255 bytes") << 255 << hex("06FF");
    QTest::newRow("256 bytes") << 256 << hex("0C00010000");
}

void WireTest::strings()
{
    QFETCH(int, length);
    QFETCH(QByteArray, header);

    std::string text(std::size_t(length), '\0');
    for (int i = 0; i < length; ++i)
        text[std::size_t(i)] = char(i * 7);
    ValueWriter writer;
    writer.PutString(text);
    const QByteArray bytes = toByteArray(writer.bytes());
    QCOMPARE(bytes, header + QByteArray(text.data(), length));
    ValueReader reader(bytesOf(bytes));
    QCOMPARE(reader.GetString(), text);
    QCOMPARE(reader.position(), std::size_t(bytes.size()));
}

void WireTest::packetExamples_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("move into column 4")
        << pkMove << QByteArray() << 4 << hex("01" + tagHex + "0200 0200 0200 0600 0204 00");
    QTest::newRow("name abc") << pkName << QByteArray("abc") << 0
                              << hex("01" + tagHex + "0200 0204 0200 0603616263 0200 00");
}

void WireTest::packetExamples()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, text);
    QFETCH(int, column);
    QFETCH(QByteArray, bytes);

    const TDataPacket packet = makePacket(kind, text.toStdString(), column);
    QCOMPARE(encoded(packet), bytes);
    TDataPacket decoded;
    const TDecodeResult result = DecodePacket(bytesOf(bytes), decoded);
    QCOMPARE(result.status, dsPacket);
    QCOMPARE(result.length, std::size_t(bytes.size()));
    QCOMPARE(decoded, packet);
}

void WireTest::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("result");

    const QString invalid = QStringLiteral("Invalid property value");
    const QString beyond = QStringLiteral("Stream read error");
    QTest::newRow("5 in four bytes") << hex("0405000000") << "integer"
                                     << "5";
    QTest::newRow("-1 in two bytes") << hex("03FFFF") << "integer"
                                     << "-1";
    QTest::newRow("short text as marker 12") << hex("0C03000000616263") << "string"
                                             << "abc";
    QTest::newRow("integer marker 5") << hex("0500") << "integer" << invalid;
    QTest::newRow("integer read as string") << hex("0200") << "string" << invalid;
    QTest::newRow("nothing left") << QByteArray() << "integer" << beyond;
    QTest::newRow("cut integer") << hex("04010203") << "integer" << beyond;
    QTest::newRow("text longer than bytes") << hex("060561") << "string" << beyond;
    QTest::newRow("negative length") << hex("0CFFFFFFFF61") << "string" << invalid;
    QTest::newRow("huge length") << hex("0CFFFFFF7F61") << "string" << beyond;
    QTest::newRow("list begin wrong") << hex("00") << "begin" << invalid;
    QTest::newRow("list end wrong") << hex("01") << "end" << invalid;
}

void WireTest::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, read);
    QFETCH(QString, result);

    ValueReader reader(bytesOf(bytes));
    QString got;
    try {
        if (read == u"integer")
            got = QString::number(reader.GetInteger());
        else if (read == u"string")
            got = QString::fromStdString(reader.GetString());
        else if (read == u"begin")
            reader.ExpectListBegin();
        else
            reader.ExpectListEnd();
    } catch (const EReadError &error) {
        got = QString::fromLatin1(error.what());
    }
    QCOMPARE(got, result);
}

void WireTest::batches_data()
{
    QTest::addColumn<QByteArray>("batch");
    QTest::addColumn<QStringList>("handled");
    QTest::addColumn<QStringList>("thenChat");

    const QByteArray move = encoded(move4);
    const QByteArray name = encoded(nameAbc);
    const QByteArray zero(1, '\0');
    const QString moveSeen = describe(move4);
    const QString nameSeen = describe(nameAbc);
    const QStringList chatSeen = {describe(chat)};
    const auto withTag = [&](const QByteArray &tagValue) {
        return "\x01" + tagValue + encoded(nameAbc).mid(11) + move;
    };

    QTest::newRow("three packets in order")
        << move + name + encoded(chat) << QStringList{moveSeen, nameSeen, describe(chat)}
        << chatSeen;
    QTest::newRow("Id kept, wide values")
        << encoded(makePacket(70000, "x", -200, 5, 9))
        << QStringList{QStringLiteral("5/70000/9/x/-200")} << chatSeen;
    QTest::newRow("tag with marker 12")
        << withTag(hex("0C08000000") + "DSIN1000") << QStringList{nameSeen, moveSeen} << chatSeen;
    QTest::newRow("tag differs in one byte")
        << withTag(hex("0608") + "DSIN1001") << QStringList{} << chatSeen;
    QTest::newRow("tag differs in case")
        << withTag(hex("0608") + "DSIn1000") << QStringList{} << chatSeen;
    QTest::newRow("tag too short") << withTag(hex("0607") + "DSIN100") << QStringList{} << chatSeen;
    QTest::newRow("tag too long") << withTag(hex("0609") + "DSIN10000") << QStringList{}
                                  << chatSeen;
    QTest::newRow("wrong marker in a field")
        << move + fieldsOf(nameAbc).replace(22, 1, "\x05") + zero + move << QStringList{moveSeen}
        << chatSeen;
    QTest::newRow("wrong end marker")
        << fieldsOf(nameAbc) + "\x07" + move << QStringList{nameSeen} << chatSeen;
    // Handed on once the next byte shows its end marker wrong; that byte's packet is lost.
    QTest::newRow("end marker missing")
        << move + fieldsOf(nameAbc) << QStringList{moveSeen} << QStringList{nameSeen};
    QTest::newRow("beginning with 0") << zero + move << QStringList{} << chatSeen;
    QTest::newRow("beginning inside a packet") << move.mid(5) + move << QStringList{} << chatSeen;
}

void WireTest::batches()
{
    QFETCH(QByteArray, batch);
    QFETCH(QStringList, handled);
    QFETCH(QStringList, thenChat);

    ReceiveBuffer buffer;
    QCOMPARE(feed(buffer, batch), handled);
    QCOMPARE(feed(buffer, encoded(chat)), thenChat);
}

void WireTest::streamCutAnywhere()
{
    const QList<TDataPacket> packets = {move4,
                                        nameAbc,
                                        makePacket(pkChat, std::string(255, 'a')),
                                        makePacket(pkChat, std::string(256, 'b')),
                                        makePacket(pkNewGame, {}, 40000, -1),
                                        makePacket(-40000, "ab", 300, 200, -2),
                                        makePacket(pkMove, {}, 7)};
    QByteArray stream;
    QStringList all;
    for (const TDataPacket &packet : packets) {
        stream += encoded(packet);
        all << describe(packet);
    }

    QList<qsizetype> badCuts;
    for (qsizetype cut = 0; cut <= stream.size(); ++cut) {
        ReceiveBuffer buffer;
        QStringList handled = feed(buffer, stream.first(cut));
        handled += feed(buffer, stream.mid(cut));
        if (handled != all || buffer.size() != 0)
            badCuts << cut;
    }
    QCOMPARE(badCuts, QList<qsizetype>());
}

void WireTest::capacity_data()
{
    QTest::addColumn<int>("textLength");
    QTest::addColumn<int>("piece");
    QTest::addColumn<bool>("handedOn");

    // 22 bytes in front of the text, room for a 32-bit Column and the end marker behind it.
    const int longest = int(ReceiveBuffer::Capacity) - 22 - 6;
    QTest::newRow("longest, in odd pieces") << longest << 100003 << true;
    QTest::newRow("one byte more") << longest + 1 << (1 << 30) << false;
    QTest::newRow("3 MiB, in odd pieces") << 3 * 1024 * 1024 << 100003 << false;
}

void WireTest::capacity()
{
    QFETCH(int, textLength);
    QFETCH(int, piece);
    QFETCH(bool, handedOn);

    const TDataPacket big = makePacket(pkChat, std::string(std::size_t(textLength), 'z'));
    QStringList expected = {describe(move4)};
    if (handedOn)
        expected.prepend(describe(big));
    ReceiveBuffer buffer;
    QCOMPARE(feed(buffer, encoded(big) + encoded(move4), piece), expected);
}

void WireTest::impossibleLengths_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("laterPacketSeen");

    // A negative length breaks the stream; a huge one is skipped as it arrives.
    const QByteArray fields = "\x01" + hex(tagHex) + hex("0200 0203 0200");
    QTest::newRow("negative text length") << fields + hex("0CFFFFFFFF") << true;
    QTest::newRow("huge text length") << fields + hex("0CFFFFFF7F") << false;
    QTest::newRow("huge tag length") << hex("010CFFFFFF7F") << true;
}

void WireTest::impossibleLengths()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, laterPacketSeen);

    ReceiveBuffer buffer;
    QCOMPARE(feed(buffer, head + encoded(move4) + QByteArray(5000, 'q')), QStringList());
    QCOMPARE(buffer.size(), std::size_t(0));
    QCOMPARE(feed(buffer, encoded(move4)).size(), laterPacketSeen ? 1 : 0);
}

QTEST_APPLESS_MAIN(WireTest)
#include "tst_wire.moc"

#include "net/PacketCodec.h"
#include "net/ReceiveBuffer.h"
#include "net/ValueReader.h"
#include "net/ValueWriter.h"

#include <QTest>

namespace {

const QByteArray tagHex = "0608 4453494E31303030";

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

QByteArray encoded(const TDataPacket &packet)
{
    ValueWriter writer;
    EncodePacket(packet, writer);
    return toByteArray(writer.bytes());
}

QString describe(const TDataPacket &p)
{
    return QString::asprintf("%d/%d/%d/%.8s(%zu)/%d", p.Id, p.Kind, p.Origin, p.Text.c_str(),
                             p.Text.size(), p.Column);
}

// Delivers bytes in pieces as the window's reads would, taking packets after every piece.
QStringList feed(ReceiveBuffer &buffer, QByteArray bytes, qsizetype piece = 1 << 30)
{
    QStringList handled;
    TDataPacket packet;
    while (!bytes.isEmpty()) {
        const std::size_t taken = buffer.append(bytesOf(bytes.first(qMin(piece, bytes.size()))));
        if (buffer.size() > buffer.capacity() || taken == 0)
            return {QStringLiteral("buffer stuck at %1 bytes").arg(buffer.size())};
        bytes.remove(0, qsizetype(taken));
        while (buffer.take(packet))
            handled << describe(packet);
    }
    return handled;
}

TDataPacket chatOf(std::size_t length)
{
    return {0, pkChat, 0, std::string(length, 'z'), 0};
}

const TDataPacket move4 = {0, pkMove, 0, {}, 4};
const TDataPacket nameAbc = {0, pkName, 0, "abc", 0};
const TDataPacket chat = {0, pkChat, 0, "Hallo", 0};

} // namespace

class WireTest : public QObject
{
    Q_OBJECT

private slots:
    void values_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("read");
        QTest::addColumn<bool>("written");   // whether writing the value gives these bytes
        QTest::addColumn<QString>("result"); // the value read, or the error's text

        const QList<std::pair<int, QByteArray>> integers = {
            std::pair(127, "027F"),           std::pair(128, "038000"),
            std::pair(-128, "0280"),          std::pair(-129, "037FFF"),
            std::pair(32767, "03FF7F"),       std::pair(-32768, "030080"),
            std::pair(32768, "0400800000"),   std::pair(-32769, "04FF7FFFFF"),
            std::pair(INT_MAX, "04FFFFFF7F"), std::pair(INT_MIN, "0400000080")};
        for (const auto &[value, bytes] : integers)
            QTest::addRow("%d", value) << hex(bytes) << "integer" << true << QString::number(value);
        QTest::newRow("empty text") << hex("0600") << "string" << true << QString();
        QTest::newRow("255 bytes")
            << hex("06FF") + QByteArray(255, 'x') << "string" << true << QString(255, u'x');
        QTest::newRow("256 bytes")
            << hex("0C00010000") + QByteArray(256, 'x') << "string" << true << QString(256, u'x');

        const QString invalid = "Invalid property value";
        const QString beyond = "Stream read error";
        QTest::newRow("5 in four bytes") << hex("0405000000") << "integer" << false << "5";
        QTest::newRow("-1 in two bytes") << hex("03FFFF") << "integer" << false << "-1";
        QTest::newRow("marker 12, short") << hex("0C03000000616263") << "string" << false << "abc";
        QTest::newRow("integer marker 5") << hex("0500") << "integer" << false << invalid;
        QTest::newRow("integer as string") << hex("0200") << "string" << false << invalid;
        QTest::newRow("cut integer") << hex("04010203") << "integer" << false << beyond;
        QTest::newRow("negative length") << hex("0CFFFFFFFF61") << "string" << false << invalid;
        QTest::newRow("huge length") << hex("0CFFFFFF7F61") << "string" << false << beyond;
    }

    void values()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, read);
        QFETCH(bool, written);
        QFETCH(QString, result);

        ValueReader reader(bytesOf(bytes));
        ValueWriter writer;
        try {
            if (read == u"integer") {
                QCOMPARE(QString::number(reader.GetInteger()), result);
                writer.PutInteger(result.toInt());
            } else {
                QCOMPARE(QString::fromLatin1(reader.GetString()), result);
                writer.PutString(result.toLatin1().toStdString());
            }
            QCOMPARE(reader.position(), std::size_t(bytes.size()));
        } catch (const EReadError &error) {
            QCOMPARE(QString::fromLatin1(error.what()), result);
        }
        if (written)
            QCOMPARE(toByteArray(writer.bytes()), bytes);
    }

    void packetExamples()
    {
        QCOMPARE(encoded(move4), hex("01" + tagHex + "0200 0200 0200 0600 0204 00"));
        QCOMPARE(encoded(nameAbc), hex("01" + tagHex + "0200 0204 0200 0603616263 0200 00"));
    }

    void batches_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QStringList>("handled");
        QTest::addColumn<QStringList>("thenChat");

        const QByteArray move = encoded(move4);
        const QByteArray nameFields = encoded(nameAbc).chopped(1);
        const QByteArray zero(1, '\0');
        const QByteArray head = "\x01" + hex(tagHex + "0200 0203 0200"); // up to the text
        const QStringList none;
        const QStringList moveOnly = {describe(move4)};
        const QStringList nameOnly = {describe(nameAbc)};
        const QStringList chatOnly = {describe(chat)};
        const auto withTag = [&](const char *marker, const QByteArray &tag) {
            return "\x01" + hex(marker) + tag + nameFields.mid(11) + zero + move;
        };
        // 22 bytes in front of the text, room for a 32-bit Column and the end marker behind it.
        const std::size_t longest = ReceiveBuffer::Capacity - 22 - 6;

        QTest::newRow("tag with marker 12")
            << withTag("0C08000000", "DSIN1000") << nameOnly + moveOnly << chatOnly;
        QTest::newRow("tag differs in one byte") << withTag("0608", "DSIN1001") << none << chatOnly;
        QTest::newRow("tag differs in case") << withTag("0608", "DSIn1000") << none << chatOnly;
        QTest::newRow("huge tag length") << withTag("0CFFFFFF7F", "") << none << chatOnly;
        QTest::newRow("bad marker") << move + head + hex("060005") + move << moveOnly << chatOnly;
        QTest::newRow("bad end marker") << nameFields + "\x07" + move << nameOnly << chatOnly;
        // Handed on once the next byte shows its end marker wrong; that byte's packet is lost.
        QTest::newRow("end marker missing") << move + nameFields << moveOnly << nameOnly;
        QTest::newRow("beginning with 0") << zero + move << none << chatOnly;
        // A negative length breaks the stream; a huge one is skipped as it arrives.
        QTest::newRow("negative length") << head + hex("0CFFFFFFFF") + move << none << chatOnly;
        QTest::newRow("huge length") << head + hex("0CFFFFFF7F") + move << none << none;
        QTest::newRow("longest text")
            << encoded(chatOf(longest)) + move << QStringList{describe(chatOf(longest))} + moveOnly
            << chatOnly;
        QTest::newRow("too long") << encoded(chatOf(longest + 1)) + move << moveOnly << chatOnly;
        QTest::newRow("3 MiB") << encoded(chatOf(3 << 20)) + move << moveOnly << chatOnly;
    }

    void batches()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QStringList, handled);
        QFETCH(QStringList, thenChat);

        // Odd pieces, so that big packets arrive over many reads.
        ReceiveBuffer buffer;
        QCOMPARE(feed(buffer, batch, 100003), handled);
        QCOMPARE(feed(buffer, encoded(chat)), thenChat);
        QCOMPARE(buffer.size(), std::size_t(0));
    }

    void streamCutAnywhere()
    {
        QByteArray stream;
        QStringList all;
        const TDataPacket wide = {-200, -40000, 300, "ab", 70000};
        for (const TDataPacket &packet : {move4, nameAbc, chatOf(255), chatOf(256), wide, move4}) {
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
};

QTEST_APPLESS_MAIN(WireTest)
#include "tst_wire.moc"

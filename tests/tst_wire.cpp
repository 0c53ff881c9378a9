// What goes over the wire: values and packets, the receive buffer, the code page 1252 texts
// and the socket error texts.
#include "net/Cp1252.h"
#include "net/PacketCodec.h"
#include "net/ReceiveBuffer.h"
#include "net/SocketErrorText.h"
#include "net/ValueReader.h"
#include "net/ValueWriter.h"

#include <QTest>

class WireTest : public QObject
{
    Q_OBJECT

    static QByteArray hex(const QByteArray &text) { return QByteArray::fromHex(text); }
    static QByteArray toBytes(const ValueWriter &writer)
    {
        return QByteArrayView(writer.bytes()).toByteArray();
    }
    static TDataPacket chatOf(std::size_t length)
    {
        return {0, pkChat, 0, std::string(length, 'z'), 0};
    }

    static std::span<const std::uint8_t> span(const QByteArray &bytes)
    {
        return {reinterpret_cast<const std::uint8_t *>(bytes.data()), std::size_t(bytes.size())};
    }

    static QByteArray encoded(const TDataPacket &packet)
    {
        ValueWriter writer;
        EncodePacket(packet, writer);
        return toBytes(writer);
    }

    static QString describe(const TDataPacket &p)
    {
        return QString::asprintf("%d/%d/%d/%.8s(%zu)/%d", p.Id, p.Kind, p.Origin, p.Text.c_str(),
                                 p.Text.size(), p.Column);
    }

    // Delivers bytes in pieces as the window's reads would, taking packets after every piece.
    static QStringList feed(ReceiveBuffer &buffer, QByteArray bytes, qsizetype piece = 1 << 30)
    {
        QStringList handled;
        TDataPacket packet;
        while (!bytes.isEmpty()) {
            const std::size_t taken = buffer.append(span(bytes.first(qMin(piece, bytes.size()))));
            if (buffer.size() > buffer.capacity() || taken == 0)
                return {QStringLiteral("buffer stuck at %1 bytes").arg(buffer.size())};
            bytes.remove(0, qsizetype(taken));
            while (buffer.take(packet))
                handled << describe(packet);
        }
        return handled;
    }

private slots:
    void values_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QVariant>("value"); // an integer or a text

        // Each integer class at both of its ends, and one past them.
        const std::pair<int, const char *> integers[] = {
            {127, "027F"},          {128, "038000"},        {-128, "0280"},
            {-129, "037FFF"},       {32767, "03FF7F"},      {-32768, "030080"},
            {32768, "0400800000"},  {-32769, "04FF7FFFFF"}, {INT_MAX, "04FFFFFF7F"},
            {INT_MIN, "0400000080"}};
        for (const auto &[value, bytes] : integers)
            QTest::addRow("%d", value) << hex(bytes) << QVariant(value);
        QTest::newRow("255 bytes")
            << hex("06FF") + QByteArray(255, 'x') << QVariant(QString(255, u'x'));
        QTest::newRow("256 bytes")
            << hex("0C00010000") + QByteArray(256, 'x') << QVariant(QString(256, u'x'));
    }

    void values()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QVariant, value);

        ValueReader reader(span(bytes));
        ValueWriter writer;
        if (value.typeId() == QMetaType::Int) {
            QCOMPARE(reader.GetInteger(), value.toInt());
            writer.PutInteger(value.toInt());
        } else {
            QCOMPARE(QString::fromStdString(reader.GetString()), value.toString());
            writer.PutString(value.toString().toStdString());
        }
        QCOMPARE(reader.position(), std::size_t(bytes.size()));
        QCOMPARE(toBytes(writer), bytes);
    }

    void batches_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QStringList>("handled");
        QTest::addColumn<QStringList>("thenChat"); // of a chat packet sent behind

        const TDataPacket move4 = {0, pkMove, 0, {}, 4};
        const TDataPacket nameAbc = {0, pkName, 0, "abc", 0};
        const QByteArray move = encoded(move4);
        const QByteArray nameFields = encoded(nameAbc).chopped(1);
        const QStringList none;
        const QStringList moveOnly = {describe(move4)};
        const QStringList chat = {describe(chatOf(5))};
        // 22 bytes in front of the text, room for a 32-bit Column and the end marker behind it.
        const std::size_t longest = ReceiveBuffer::Capacity - 22 - 6;

        QTest::newRow("foreign tag")
            << hex("01 0608 4453494E31303031") + nameFields.mid(11) + '\0' + move << none << chat;
        // Handed on once the next byte shows its end marker wrong; that byte's packet is lost.
        QTest::newRow("end marker missing")
            << move + nameFields << moveOnly << QStringList{describe(nameAbc)};
        // A text too long for the buffer is skipped as it arrives.
        QTest::newRow("longest text") << encoded(chatOf(longest)) + move
                                      << QStringList{describe(chatOf(longest))} + moveOnly << chat;
        QTest::newRow("too long") << encoded(chatOf(longest + 1)) + move << moveOnly << chat;
    }

    void batches()
    {
        QFETCH(QByteArray, batch);

        // Odd pieces, so that big packets arrive over many reads.
        ReceiveBuffer buffer;
        QTEST(feed(buffer, batch, 100003), "handled");
        QTEST(feed(buffer, encoded(chatOf(5))), "thenChat");
        QCOMPARE(buffer.size(), std::size_t(0));
    }

    void cp1252_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("umlauts, sharp s, euro") << "üöß€" << hex("FCF6DF80");
        QTest::newRow("outside the code page") << "łΩ\U0001F600x" << QByteArray("???x");
        QTest::newRow("C1 control without a byte") << "\u0080" << QByteArray("?");
    }

    void cp1252()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const std::string sent = Utf8ToCp1252(text.toStdString());
        QCOMPARE(QByteArray::fromStdString(sent), bytes);
        if (!bytes.contains('?'))
            QCOMPARE(QString::fromStdString(Cp1252ToUtf8(sent)), text);
    }

    void socketErrorText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 10004 << "Interrupted system call";
        QTest::newRow("before the gap") << 10071 << "Too many levels of remote in path";
        QTest::newRow("after the gap") << 10091 << "Network sub-system is unusable";
        QTest::newRow("last") << 11004 << "No Data";
        // The last is 10035 in its low 16 bits.
        for (int code : {-1, 10003, 10072, 10090, 10094, 11000, 11005, 10035 + 65536})
            QTest::addRow("%d", code) << code << "Not a WinSock error";
    }

    void socketErrorText()
    {
        QFETCH(int, code);
        QTEST(QString::fromLatin1(SocketErrorText(code)), "text");
    }
};

QTEST_APPLESS_MAIN(WireTest)
#include "tst_wire.moc"

#include "net/Cp1252.h"

#include <QTest>

class Cp1252Test : public QObject
{
    Q_OBJECT

private slots:
    void convert_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QByteArray>("cp1252");
        QTest::addColumn<bool>("roundTrips");

        QTest::newRow("empty") << QByteArray() << QByteArray() << true;
        QTest::newRow("high row") << QString("‚Š—™Ÿ").toUtf8() << QByteArray::fromHex("828A97999F")
                                  << true;
        QTest::newRow("no-break space, ÿ")
            << QString("\u00A0ÿ").toUtf8() << QByteArray::fromHex("A0FF") << true;
        QTest::newRow("outside the code page")
            << QString("łx€").toUtf8() << QByteArray("?x\x80") << false;
        QTest::newRow("C1 without a byte")
            << QString("\u0080").toUtf8() << QByteArray("?") << false;
    }

    void convert()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QByteArray, cp1252);
        QFETCH(bool, roundTrips);

        const std::string encoded = Utf8ToCp1252(utf8.toStdString());
        QCOMPARE(QByteArray::fromStdString(encoded), cp1252);
        if (roundTrips)
            QCOMPARE(QByteArray::fromStdString(Cp1252ToUtf8(encoded)), utf8);
    }

    void everyByteComesBack()
    {
        std::string all;
        for (int byte = 0; byte < 256; ++byte)
            all += char(byte);
        const std::string utf8 = Cp1252ToUtf8(all);
        QCOMPARE(QString::fromStdString(utf8).size(), 256);
        QCOMPARE(QByteArray::fromStdString(Utf8ToCp1252(utf8)), QByteArray::fromStdString(all));
    }
};

QTEST_APPLESS_MAIN(Cp1252Test)
#include "tst_cp1252.moc"

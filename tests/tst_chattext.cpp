#include "chat/ChatText.h"

#include <QTest>

class tst_ChatText : public QObject
{
    Q_OBJECT

private slots:
    void lines_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("shown"); // in the history, on both sides

        QTest::newRow("plain") << "Anna: hallo" << QByteArray("Anna: hallo") << "Anna: hallo";
        QTest::newRow("empty") << "" << QByteArray() << "";
        QTest::newRow("paragraph pasted")
            << "a\nb\n\nc" << QByteArray("a\r\nb\r\n\r\nc") << "a\nb\n\nc";
        QTest::newRow("Windows breaks stay single") << "a\r\nb" << QByteArray("a\r\nb") << "a\nb";
        QTest::newRow("lone carriage return") << "a\rb" << QByteArray("a\r\nb") << "a\nb";
        QTest::newRow("trailing break") << "a\n" << QByteArray("a\r\n") << "a\n";
        QTest::newRow("umlauts and euro") << "Grüße, 5 €"
                                          << QByteArray("Gr\xfc\xdf"
                                                        "e, 5 \x80")
                                          << "Grüße, 5 €";
        QTest::newRow("outside the code page") << "Ω\U0001F600" << QByteArray("??") << "??";
    }

    void lines()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, wire);
        QFETCH(QString, shown);
        const std::string sent = ChatLineToWire(typed.toStdString());
        QCOMPARE(QByteArray::fromStdString(sent), wire);
        QCOMPARE(QString::fromStdString(ChatLineFromWire(sent)), shown);
    }

    void received_data()
    {
        QTest::addColumn<QByteArray>("wire");
        QTest::addColumn<QString>("shown");
        QTest::newRow("bare line feeds") << QByteArray("x\ny") << "x\ny";
        QTest::newRow("mixed breaks") << QByteArray("x\r\n\ny\r") << "x\n\ny\n";
        QTest::newRow("every byte is text") << QByteArray("\x81\xff") << "\u0081ÿ";
    }

    void received()
    {
        QFETCH(QByteArray, wire);
        QFETCH(QString, shown);
        QCOMPARE(QString::fromStdString(ChatLineFromWire(wire.toStdString())), shown);
    }
};

QTEST_APPLESS_MAIN(tst_ChatText)
#include "tst_chattext.moc"

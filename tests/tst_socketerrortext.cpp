#include "net/SocketErrorText.h"

#include <QSet>
#include <QTest>

class SocketErrorTextTest : public QObject
{
    Q_OBJECT

    static QString textOf(int code) { return QString::fromLatin1(SocketErrorText(code)); }

private slots:
    void text_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("first") << 10004 << "Interrupted system call";
        QTest::newRow("apostrophe") << 10049 << "Can't assign requested address";
        QTest::newRow("after the gap") << 10091 << "Network sub-system is unusable";
        QTest::newRow("last") << 11004 << "No Data";
        for (int code : {0, -1, INT_MIN, INT_MAX, 10003, 10094, 11000, 11005, 10035 + 65536})
            QTest::addRow("%d", code) << code << "Not a WinSock error";
        for (int code = 10072; code <= 10090; ++code)
            QTest::addRow("%d", code) << code << "Not a WinSock error";
    }

    void text()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(textOf(code), text);
    }

    void everyCodeHasItsOwnText()
    {
        QSet<QString> texts = {textOf(0)}; // the fallback, then the 50
        for (int code : {10004, 10009, 10013, 10014, 10022, 10024, 10091, 10092, 10093, 11001,
                         11002, 11003, 11004})
            texts << textOf(code);
        for (int code = 10035; code <= 10071; ++code)
            texts << textOf(code);
        QCOMPARE(texts.size(), 51);
    }

    void message()
    {
        QCOMPARE(QString::fromStdString(SocketErrorMessage(-5, "Liten(WSAASyncSelect)")),
                 "Error -5 in function Liten(WSAASyncSelect)\r\nNot a WinSock error");
    }
};

QTEST_APPLESS_MAIN(SocketErrorTextTest)
#include "tst_socketerrortext.moc"

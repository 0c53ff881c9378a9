// The chat input, the history and the lines and notices that cross the connection.
#include "MatchSupport.h"

#include <QKeyEvent>

using namespace winsock;

class tst_Chat : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_form;
    RawPeer m_peer;

    void connectPeer()
    {
        m_form->PortText = "0";
        m_form->DoListen();
        QVERIFY(m_peer.connectTo(listeningPort(m_form->Sock)));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->ConnState, cnConnected, NetTimeout);
        QVERIFY(m_peer.receive(encoded({packetOf(pkName, "Anna")}).size()));
        m_peer.received.clear();
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, QString(), repeat);
        QApplication::sendEvent(m_form->Memo1(), &event);
    }

private slots:
    void init()
    {
        m_form = makeForm(m_boxes, "Anna");
        m_boxes.seen.clear();
    }

    void cleanup()
    {
        m_peer.close();
        m_form.reset();
        QVERIFY(m_boxes.seen.isEmpty());
    }

    void enterSends_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Alt+Enter")
            << int(Qt::Key_Return) << int(Qt::ControlModifier | Qt::AltModifier);
    }

    void enterSends()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TForm1 &form = *m_form;
        form.Memo2()->setPlainText("alt\n");
        typeText(form.Memo1(), "hallo");
        press(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(form.Memo1()->toPlainText(), QString());
        QCOMPARE(history(form), QStringList({"Anna: hallo", "alt"}));
        // Held down: one line per repeat, the later ones empty.
        press(key, Qt::KeyboardModifiers(modifiers), true);
        press(key, Qt::KeyboardModifiers(modifiers), true);
        QCOMPARE(history(form), QStringList({"Anna: ", "Anna: ", "Anna: hallo", "alt"}));
        // Any other key types as usual.
        press(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(history(form).size(), 4);
    }

    void linesCross()
    {
        TForm1 &form = *m_form;
        // Not connected: kept here, sent nowhere.
        typeText(form.Memo1(), "vorher");
        press(Qt::Key_Return);
        connectPeer();
        form.Memo1()->setPlainText("Grüße\nΩ");
        press(Qt::Key_Return);
        press(Qt::Key_Return);
        const QByteArray sent = encoded({packetOf(pkChat, "Anna: Gr\xfc\xdf"
                                                          "e\r\n?"),
                                         packetOf(pkChat, "Anna: ")});
        QVERIFY(m_peer.receive(sent.size()));
        QCOMPARE(m_peer.received, sent);

        m_peer.send(
            encoded({packetOf(pkChat, "Xaver: a\r\nb"), packetOf(pkChat, "Xaver: <b>c</b>")}));
        QTRY_COMPARE_WITH_TIMEOUT(history(form).size(), 7, NetTimeout);
        // As the peer sees it: the foreign letter as "?", a line break where it broke.
        QCOMPARE(history(form), QStringList({"Xaver: <b>c</b>", "Xaver: a", "b",
                                             "Anna: ", "Anna: Grüße", "?", "Anna: vorher"}));
    }

    void notices()
    {
        TForm1 &form = *m_form;
        connectPeer();
        m_peer.send(encoded({packetOf(pkDisconnect), packetOf(pkName, "<i>Xa</i> %2"),
                             packetOf(pkName, "Yvo\xe9"), packetOf(pkDisconnect)}));
        QTRY_COMPARE_WITH_TIMEOUT(history(form).size(), 4, NetTimeout);
        QCOMPARE(history(form), QStringList({":: Yvoé hat die Verbindung getrennt",
                                             ":: Du bist jetzt zu Yvoé verbunden.",
                                             ":: Du bist jetzt zu <i>Xa</i> %2 verbunden.",
                                             ":: keiner hat die Verbindung getrennt"}));
        // The name reaches the status bar at once, as it is.
        QCOMPARE(panelText(form, 1), QString("Anna 0 - Yvoé 0"));
        // A notice changes no state: the close does.
        QCOMPARE(form.ConnState, cnConnected);
    }

    void historyBounded()
    {
        TForm1 &form = *m_form;
        const QString line = QString("xxxx ").repeated(TForm1::HistoryLimit / 16);
        for (int i = 0; i < 4; ++i) {
            form.AddHistoryLine(QString::number(i) + line);
        }
        // The oldest line went whole; the newest is on top.
        QCOMPARE(history(form).size(), 3);
        QCOMPARE(history(form).first().left(2), QString("3x"));
        QCOMPARE(history(form).last().left(2), QString("1x"));
        // A single line beyond the bound keeps its head (and a word that long is laid out in
        // linear time, or this would not end).
        form.AddHistoryLine(QString(TForm1::HistoryLimit + 10, 'y'));
        QCOMPARE(form.Memo2()->document()->characterCount(), TForm1::HistoryLimit + 1);
        QCOMPARE(history(form).size(), 1);
    }
};

DROPSTONE_TEST_MAIN(tst_Chat)
#include "tst_chat.moc"

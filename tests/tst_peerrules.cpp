// The packets of a peer that breaks the rules, and the program's wins and losses against it.
#include "MatchSupport.h"

using namespace winsock;

class tst_PeerRules : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_form;
    RawPeer m_peer;

private slots:
    void init()
    {
        m_form = makeForm(m_boxes, "Anna");
        m_boxes.policy = nullptr;
        m_boxes.seen.clear();
        m_form->PortText = "0";
        m_form->DoListen();
        QVERIFY(m_peer.connectTo(listeningPort(m_form->Sock)));
        m_peer.send(encoded({packetOf(pkName, "Xaver"), packetOf(pkNewGame)}));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->GameState, gsTheirTurn, NetTimeout);
    }

    void cleanup()
    {
        m_peer.close();
        m_form.reset();
    }

    void columnsOutside()
    {
        TForm1 &form = *m_form;
        m_peer.send(
            encoded({packetOf(pkMove, {}, 0), packetOf(pkMove, {}, 8), packetOf(pkMove, {}, -1),
                     packetOf(pkMove, {}, 1 << 30), packetOf(pkMove, {}, 7)}));
        QTRY_COMPARE_WITH_TIMEOUT(form.GameState, gsMyTurn, NetTimeout);
        QCOMPARE(form.Board.cell(7, 1), cellTheirs);
        QCOMPARE(form.Board.cell(7, 2), cellEmpty);
        for (int column = 1; column < 7; ++column)
            QCOMPARE(form.Board.cell(column, 1), cellEmpty);
    }

    void winAndNewGame()
    {
        // The program wins against the peer, then starts the next game without a question.
        TForm1 &form = *m_form;
        for (int column : {1, 1, 3, 3}) {
            m_peer.send(encoded({packetOf(pkMove, {}, column)}));
            QTRY_COMPARE_WITH_TIMEOUT(form.GameState, gsMyTurn, NetTimeout);
            clickCell(form, 2, freeRow(form, 2));
        }
        QCOMPARE(m_boxes.seen, QStringList{"Dropstone|Du hast gewonnen|0"});
        QCOMPARE(form.GameState, gsGameOver);
        QCOMPARE(panelText(form, 1), QString("Anna 1 - Xaver 0"));
        action(form, "New1")->trigger();
        QCOMPARE(form.GameState, gsMyTurn);
        QCOMPARE(m_boxes.seen.size(), 1);
        const QByteArray expected = encoded({packetOf(pkName, "Anna")}) +
                                    encoded({packetOf(pkMove, {}, 2)}).repeated(4) +
                                    encoded({packetOf(pkNewGame)});
        QVERIFY(m_peer.receive(expected.size()));
        QCOMPARE(m_peer.received, expected);
    }

    void afterLoss_data()
    {
        QTest::addColumn<QByteArray>("trailing");  // sent with the winning move
        QTest::addColumn<QByteArray>("meanwhile"); // sent while the dialog is open
        QTest::addColumn<bool>("peerCloses");
        QTest::addColumn<QStringList>("historyHead");

        const QByteArray none;
        const QString named = ":: Du bist jetzt zu Xaver verbunden.";
        QTest::newRow("a further move changes nothing")
            << none << encoded({packetOf(pkMove, {}, 2)}) << false << QStringList{named};
        QTest::newRow("lines that arrived before the close are kept")
            << encoded({packetOf(pkChat, "Xaver: tsch\xfc\x73s"), packetOf(pkDisconnect)}) << none
            << true << QStringList{":: Xaver hat die Verbindung getrennt", "Xaver: tschüss", named};
        QTest::newRow("game packets of a closed connection change nothing")
            << encoded({packetOf(pkNewGame), packetOf(pkMove, {}, 2)}) << none << true
            << QStringList{named};
    }

    void afterLoss()
    {
        QFETCH(QByteArray, trailing);
        QFETCH(QByteArray, meanwhile);
        QFETCH(bool, peerCloses);
        QFETCH(QStringList, historyHead);
        TForm1 &form = *m_form;
        // What the dialog sees before "Nochmal spielen" is pressed.
        QList<int> seen;
        m_boxes.policy = [&](const QString &) {
            m_peer.send(meanwhile);
            QTest::qWait(200);
            if (peerCloses)
                (void)QTest::qWaitFor([&] { return form.ConnState == cnDisconnected; }, NetTimeout);
            seen << form.OpponentScore << form.ConnState << form.Board.cell(2, 1);
            return QStringLiteral("Nochmal spielen");
        };
        QList<TDataPacket> win;
        for (int i = 0; i < 4; ++i)
            win << packetOf(pkMove, {}, 1);
        m_peer.send(encoded(win) + trailing);
        if (peerCloses)
            m_peer.close();

        QTRY_COMPARE_WITH_TIMEOUT(m_boxes.seen, QStringList{"TForm5|Du hast verloren"}, NetTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 3, NetTimeout);
        QCOMPARE(seen, QList<int>({peerCloses ? 0 : 1, peerCloses ? cnDisconnected : cnConnected,
                                   cellEmpty}));
        QTRY_COMPARE_WITH_TIMEOUT(history(form).mid(0, historyHead.size()), historyHead,
                                  NetTimeout);
        QTest::qWait(100);
        QCOMPARE(m_boxes.seen.size(), 1);
        // The answer acts only on the connection it was given for.
        QCOMPARE(form.GameState, peerCloses ? gsNoGame : gsMyTurn);
        QCOMPARE(form.Board.cell(1, 4), peerCloses ? cellTheirs : cellEmpty);
        QCOMPARE(form.Board.cell(2, 1), cellEmpty);
    }
};

DROPSTONE_TEST_MAIN(tst_PeerRules)
#include "tst_peerrules.moc"

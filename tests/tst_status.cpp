// The status bar and the connection menu items for every connection and game state.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "platform/StatusBar.h"

#include <QAction>

#include <memory>

class tst_Status : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void updateStatus_data();
    void updateStatus();

private:
    std::unique_ptr<TForm1> m_form;
};

void tst_Status::initTestCase()
{
    ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
    m_form = std::make_unique<TForm1>();
}

void tst_Status::cleanupTestCase()
{
    m_form.reset();
}

void tst_Status::updateStatus_data()
{
    QTest::addColumn<int>("connState");
    QTest::addColumn<int>("gameState");
    QTest::addColumn<QString>("playerName");
    QTest::addColumn<QString>("listenText");
    QTest::addColumn<QString>("panel0");
    QTest::addColumn<QString>("panel1");
    QTest::addColumn<QString>("menus"); // connect, disconnect, listen, stop listening
    QTest::addColumn<bool>("scoresKept");

    const QString connected = "Status: Verbunden zu 192.168.0.7 Port 1024 - ";
    const QString listen = "Status: Warten auf Verbindung: host (10.0.0.1) Port 1024";
    QTest::newRow("disconnected") << int(cnDisconnected) << int(gsMyTurn) << "Spieler" << listen
                                  << "Status: Nicht verbunden"
                                  << ""
                                  << "1010" << false;
    QTest::newRow("connecting") << int(cnConnecting) << int(gsNoGame) << "Spieler" << listen
                                << "Status: Warten auf Verbindung"
                                << ""
                                << "0100" << false;
    QTest::newRow("listening") << int(cnListening) << int(gsNoGame) << "Spieler" << listen << listen
                               << ""
                               << "0001" << false;
    QTest::newRow("listening, no host name") << int(cnListening) << int(gsNoGame) << "Spieler"
                                             << ""
                                             << ""
                                             << ""
                                             << "0001" << false;
    QTest::newRow("no game") << int(cnConnected) << int(gsNoGame) << "Spieler"
                             << "" << connected + "Kein Spiel"
                             << "Spieler 2 - Gegner 1"
                             << "0100" << true;
    QTest::newRow("game over") << int(cnConnected) << int(gsGameOver) << "Spieler"
                               << "" << connected + "Spiel beendet"
                               << "Spieler 2 - Gegner 1"
                               << "0100" << true;
    QTest::newRow("my turn") << int(cnConnected) << int(gsMyTurn) << "Spieler"
                             << "" << connected + "Dein Zug"
                             << "Spieler 2 - Gegner 1"
                             << "0100" << true;
    QTest::newRow("their turn") << int(cnConnected) << int(gsTheirTurn) << "Spieler"
                                << "" << connected + "Gegner' ist am Zug"
                                << "Spieler 2 - Gegner 1"
                                << "0100" << true;
    QTest::newRow("unknown game state") << int(cnConnected) << 7 << "Spieler"
                                        << "" << connected << "Spieler 2 - Gegner 1"
                                        << "0100" << true;
    QTest::newRow("empty player name") << int(cnConnected) << int(gsMyTurn) << ""
                                       << "" << connected + "Dein Zug"
                                       << " 2 - Gegner 1"
                                       << "0100" << true;
    QTest::newRow("names holding place markers") << int(cnConnected) << int(gsMyTurn) << "%2 %1"
                                                 << "" << connected + "Dein Zug"
                                                 << "%2 %1 2 - Gegner 1"
                                                 << "0100" << true;
}

void tst_Status::updateStatus()
{
    QFETCH(int, connState);
    QFETCH(int, gameState);
    QFETCH(QString, playerName);
    QFETCH(QString, listenText);
    QFETCH(QString, panel0);
    QFETCH(QString, panel1);
    QFETCH(QString, menus);
    QFETCH(bool, scoresKept);

    TForm1 &form = *m_form;
    form.ConnState = connState;
    form.GameState = gameState;
    form.PlayerName = playerName;
    form.OpponentName = "Gegner";
    form.AddressText = "192.168.0.7";
    form.PortText = "1024";
    form.ListenStatusText = listenText;
    form.PlayerScore = 2;
    form.OpponentScore = 1;
    form.UpdateStatus();

    QCOMPARE(form.StatusBar1()->panelText(0), panel0);
    QCOMPARE(form.StatusBar1()->panelText(1), panel1);
    QString enabled;
    for (QAction *item :
         {form.Connect1(), form.Disconnect1(), form.Listen1(), form.StopListening1()})
        enabled += item->isEnabled() ? '1' : '0';
    QCOMPARE(enabled, menus);
    QCOMPARE(form.PlayerScore, scoresKept ? 2 : 0);
    QCOMPARE(form.OpponentScore, scoresKept ? 1 : 0);
}

DROPSTONE_TEST_MAIN(tst_Status)
#include "tst_status.moc"

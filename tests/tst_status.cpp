// The status bar, as assistive technology reads it, and the connection menu items across the
// connection and game states.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "platform/StatusBar.h"

#include <QAccessible>
#include <QAction>

class tst_Status : public QObject
{
    Q_OBJECT

    ModalAnswerer m_answerer{[](QWidget *modal) {
        modal->close();
    }}; // the name question
    TForm1 m_form;

private slots:
    void updateStatus_data()
    {
        QTest::addColumn<int>("connState");
        QTest::addColumn<int>("gameState");
        QTest::addColumn<QString>("panels");
        QTest::addColumn<QString>("menus"); // connect, disconnect, listen, stop listening

        // Outside a connection the game state must not matter.
        const QString listen = "Status: Warten auf Verbindung: host (10.0.0.1) Port 1024";
        QTest::newRow("disconnected")
            << int(cnDisconnected) << int(gsMyTurn) << "Status: Nicht verbunden|"
            << "1010";
        QTest::newRow("connecting")
            << int(cnConnecting) << int(gsMyTurn) << "Status: Warten auf Verbindung|"
            << "0100";
        QTest::newRow("listening") << int(cnListening) << int(gsMyTurn) << listen + '|' << "0001";
        // The player's name holds place markers: it is shown as it is.
        const QString connected = "Status: Verbunden zu 192.168.0.7 Port 1024 - ";
        const QString scores = "|%2 %1 2 - Gegner 1";
        QTest::newRow("no game") << int(cnConnected) << int(gsNoGame)
                                 << connected + "Kein Spiel" + scores << "0100";
        QTest::newRow("game over") << int(cnConnected) << int(gsGameOver)
                                   << connected + "Spiel beendet" + scores << "0100";
        QTest::newRow("their turn") << int(cnConnected) << int(gsTheirTurn)
                                    << connected + "Gegner' ist am Zug" + scores << "0100";
    }

    void updateStatus()
    {
        QFETCH(int, connState);
        QFETCH(int, gameState);
        QFETCH(QString, panels);
        QFETCH(QString, menus);

        m_form.ConnState = connState;
        m_form.GameState = gameState;
        m_form.PlayerName = "%2 %1";
        m_form.OpponentName = "Gegner";
        m_form.AddressText = "192.168.0.7";
        m_form.PortText = "1024";
        m_form.ListenStatusText = "Status: Warten auf Verbindung: host (10.0.0.1) Port 1024";
        m_form.PlayerScore = 2;
        m_form.OpponentScore = 1;
        m_form.UpdateStatus();

        // Read as assistive technology reads it: a status bar with its panels as children.
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(m_form.StatusBar1());
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QStringList texts;
        // The bar also holds the notifications that speak the news of the game.
        for (int i = 0; i < bar->childCount(); ++i) {
            const QObject *child = bar->child(i)->object();
            if (!child || child->objectName() != "Announcer")
                texts << bar->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(texts.join('|'), panels);
        QString enabled;
        for (QAction *item :
             {m_form.Connect1(), m_form.Disconnect1(), m_form.Listen1(), m_form.StopListening1()})
            enabled += item->isEnabled() ? '1' : '0';
        QCOMPARE(enabled, menus);
        // A score lives as long as one connection.
        const bool kept = connState == cnConnected;
        QCOMPARE(m_form.PlayerScore, kept ? 2 : 0);
        QCOMPARE(m_form.OpponentScore, kept ? 1 : 0);
    }
};

DROPSTONE_TEST_MAIN(tst_Status)
#include "tst_status.moc"

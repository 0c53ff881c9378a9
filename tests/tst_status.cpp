// The status bar, as assistive technology reads it, and the connection menu items across the
// connection and game states.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "platform/StatusBar.h"

#include <QAccessible>
#include <QAction>

#include <memory>

class tst_Status : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
        m_form = std::make_unique<TForm1>();
    }

    void cleanupTestCase() { m_form.reset(); }

    void updateStatus_data()
    {
        QTest::addColumn<int>("connState");
        QTest::addColumn<int>("gameState");
        QTest::addColumn<QString>("playerName");
        QTest::addColumn<QString>("listenText");
        QTest::addColumn<QString>("panel0");
        QTest::addColumn<QString>("panel1");
        QTest::addColumn<QString>("menus"); // connect, disconnect, listen, stop listening

        // Outside a connection the game state must not matter: each row holds one.
        const auto apart = [](const char *row, int conn, const QString &listenText,
                              const QString &panel0, const QString &menus) {
            QTest::newRow(row) << conn << int(gsMyTurn) << QString("Spieler") << listenText
                               << panel0 << QString() << menus;
        };
        const QString listen = "Status: Warten auf Verbindung: host (10.0.0.1) Port 1024";
        apart("disconnected", cnDisconnected, listen, "Status: Nicht verbunden", "1010");
        apart("connecting", cnConnecting, listen, "Status: Warten auf Verbindung", "0100");
        apart("listening, no host name", cnListening, "", "", "0001");

        const auto connected = [](const char *row, int game, const QString &name,
                                  const QString &turn) {
            QTest::newRow(row) << int(cnConnected) << game << name << QString()
                               << "Status: Verbunden zu 192.168.0.7 Port 1024 - " + turn
                               << name + " 2 - Gegner 1" << QString("0100");
        };
        connected("no game", gsNoGame, "Spieler", "Kein Spiel");
        connected("game over", gsGameOver, "Spieler", "Spiel beendet");
        connected("empty player name", gsMyTurn, "", "Dein Zug");
        connected("names holding place markers", gsMyTurn, "%2 %1", "Dein Zug");
    }

    void updateStatus()
    {
        QFETCH(int, connState);
        QFETCH(int, gameState);
        QFETCH(QString, playerName);
        QFETCH(QString, listenText);
        QFETCH(QString, panel0);
        QFETCH(QString, panel1);
        QFETCH(QString, menus);

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

        // Read as assistive technology reads it: a status bar with its panels as labels.
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(form.StatusBar1());
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QCOMPARE(bar->childCount(), 2);
        QStringList panels;
        for (int i = 0; i < bar->childCount(); ++i) {
            QCOMPARE(bar->child(i)->role(), QAccessible::StaticText);
            panels << bar->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(panels, QStringList({panel0, panel1}));
        QString enabled;
        for (QAction *item :
             {form.Connect1(), form.Disconnect1(), form.Listen1(), form.StopListening1()})
            enabled += item->isEnabled() ? '1' : '0';
        QCOMPARE(enabled, menus);
        // A score lives as long as one connection.
        const bool kept = connState == cnConnected;
        QCOMPARE(form.PlayerScore, kept ? 2 : 0);
        QCOMPARE(form.OpponentScore, kept ? 1 : 0);
    }

private:
    std::unique_ptr<TForm1> m_form;
};

DROPSTONE_TEST_MAIN(tst_Status)
#include "tst_status.moc"

#include "Unit1.h"

#include "platform/StatusBar.h"

#include <QAction>

void TForm1::UpdateStatus()
{
    StatusBar *bar = StatusBar1();
    switch (ConnState) {
    case cnDisconnected:
        SetMenuStates(true, false, true, false);
        bar->setPanelText(0, QStringLiteral("Status: Nicht verbunden"));
        bar->setPanelText(1, QString());
        break;
    case cnConnected: {
        SetMenuStates(false, true, false, false);
        bar->setPanelText(0, QStringLiteral("Status: Verbunden zu %1 Port %2 - %3")
                                 .arg(AddressText, PortText, TurnText()));
        // One pass, so that a name holding "%2" is shown as it is.
        bar->setPanelText(1, QStringLiteral("%1 %2 - %3 %4")
                                 .arg(PlayerName, QString::number(PlayerScore), ShownOpponentName(),
                                      QString::number(OpponentScore)));
        return;
    }
    case cnListening:
        SetMenuStates(false, false, false, true);
        bar->setPanelText(0, ListenStatusText);
        bar->setPanelText(1, QString());
        break;
    case cnConnecting:
        SetMenuStates(false, true, false, false);
        bar->setPanelText(0, QStringLiteral("Status: Warten auf Verbindung"));
        bar->setPanelText(1, QString());
        break;
    default:
        return;
    }
    // A score lives exactly as long as one connection.
    OpponentScore = 0;
    PlayerScore = 0;
}

QString TForm1::TurnText() const
{
    switch (GameState) {
    case gsNoGame:
        return QStringLiteral("Kein Spiel");
    case gsGameOver:
        return QStringLiteral("Spiel beendet");
    case gsMyTurn:
        return QStringLiteral("Dein Zug");
    case gsTheirTurn:
        return QStringLiteral("%1' ist am Zug").arg(ShownOpponentName());
    default:
        return QString();
    }
}

void TForm1::SetMenuStates(bool connect, bool disconnect, bool listen, bool stopListening)
{
    Connect1()->setEnabled(connect);
    // Playing the computer is one more way of connecting.
    Computer1()->setEnabled(connect);
    Disconnect1()->setEnabled(disconnect);
    Listen1()->setEnabled(listen);
    StopListening1()->setEnabled(stopListening);
}

QString TForm1::ShownOpponentName() const
{
    if (OpponentName.size() <= ShownNameLength)
        return OpponentName;
    return OpponentName.left(ShownNameLength) + QChar(0x2026);
}

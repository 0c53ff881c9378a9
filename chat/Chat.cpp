#include "app/Unit1.h"
#include "chat/ChatText.h"
#include "net/PacketText.h"

#include <QPlainTextEdit>

void TForm1::Memo1KeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    // Enter with any modifiers; the input itself never breaks the line.
    if (Key != Qt::Key_Return && Key != Qt::Key_Enter)
        return;
    const QString Text = Memo1()->toPlainText();
    Memo1()->clear();
    const QString Line = QStringLiteral("%1: %2").arg(PlayerName, Text);
    // Shown as the peer will see it.
    AddHistoryLine(QString::fromStdString(ChatLineFromWire(ChatLineToWire(Line.toStdString()))));
    SendChat(Line);
}

void TForm1::SendChat(const QString &Line)
{
    if (ConnState != cnConnected)
        return;
    TDataPacket Packet;
    Packet.Kind = pkChat;
    Packet.Text = ChatLineToWire(Line.toStdString());
    SendPacket(Sock, Packet);
}

void TForm1::ReceiveChat(const TDataPacket &Packet)
{
    const QString Line = QString::fromStdString(ChatLineFromWire(Packet.Text));
    AddHistoryLine(Line);
    AnnounceFromPeer(Line);
}

void TForm1::ReceiveDisconnect()
{
    AddHistoryLine(QStringLiteral(":: %1 hat die Verbindung getrennt").arg(ShownOpponentName()));
    AnnounceFromPeer(QStringLiteral("%1 hat die Verbindung getrennt").arg(ShownOpponentName()));
}

void TForm1::ReceiveName(const TDataPacket &Packet)
{
    OpponentName = PacketText(Packet);
    AddHistoryLine(QStringLiteral(":: Du bist jetzt zu %1 verbunden.").arg(ShownOpponentName()));
    AnnounceFromPeer(QStringLiteral("Du bist jetzt zu %1 verbunden.").arg(ShownOpponentName()));
    // Otherwise the connecting side would name its opponent "keiner" until the first move.
    UpdateStatus();
}

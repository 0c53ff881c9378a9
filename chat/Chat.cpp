#include "app/Unit1.h"
#include "chat/ChatText.h"
#include "net/PacketText.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Longest run of characters without a break opportunity that the history is given.
constexpr int LongestRun = 64;

// A zero-width space after every LongestRun characters of a run without a blank: laying out a
// word longer than the line costs time by the square of its length, and a peer could send one
// of a million characters.
QString Breakable(const QString &Line)
{
    QString Result;
    Result.reserve(Line.size() + Line.size() / LongestRun);
    int Run = 0;
    for (const QChar Ch : Line) {
        Run = Ch.isSpace() ? 0 : Run + 1;
        Result += Ch;
        if (Run == LongestRun) {
            Result += QChar(0x200B);
            Run = 0;
        }
    }
    return Result;
}

} // namespace

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

void TForm1::AddHistoryLine(const QString &Line)
{
    QPlainTextEdit *History = Memo2();
    QTextDocument *Document = History->document();
    QTextCursor Cursor(Document);
    Cursor.insertText(Breakable(Line) + QLatin1Char('\n'));

    // Bounded, so that a peer cannot grow our memory without end: the oldest lines go, or
    // the tail of a single line that alone is too long.
    if (Document->characterCount() > HistoryLimit) {
        int From = Document->findBlock(HistoryLimit).position();
        if (From == 0)
            From = HistoryLimit;
        Cursor.setPosition(From);
        Cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        Cursor.removeSelectedText();
    }
    // The newest line is the top one, and the history cannot be scrolled by the user.
    History->verticalScrollBar()->setValue(0);
}

void TForm1::ReceiveChat(const TDataPacket &Packet)
{
    AddHistoryLine(QString::fromStdString(ChatLineFromWire(Packet.Text)));
    AnnounceFromPeer(QString::fromStdString(ChatLineFromWire(Packet.Text)));
}

void TForm1::ReceiveDisconnect()
{
    AddHistoryLine(QStringLiteral(":: %1 hat die Verbindung getrennt").arg(OpponentName));
    AnnounceFromPeer(QStringLiteral("%1 hat die Verbindung getrennt").arg(ShownOpponentName()));
}

void TForm1::ReceiveName(const TDataPacket &Packet)
{
    OpponentName = PacketText(Packet);
    AddHistoryLine(QStringLiteral(":: Du bist jetzt zu %1 verbunden.").arg(OpponentName));
    AnnounceFromPeer(QStringLiteral("Du bist jetzt zu %1 verbunden.").arg(ShownOpponentName()));
    // Otherwise the connecting side would name its opponent "keiner" until the first move.
    UpdateStatus();
}

#include "app/Unit1.h"
#include "app/dialogs/Unit5.h"
#include "platform/MessageBox.h"

#include <QLabel>

#include <memory>

using namespace winsock;

void TForm1::PlayMove(int column, int row)
{
    if (GameState != gsMyTurn)
        return;
    if (!Board.dropAt(column, row, cellMine))
        return;
    RepaintBoard();
    // Sent before the win test: the peer finds the line on its own board.
    TDataPacket Packet;
    Packet.Kind = pkMove;
    Packet.Column = column;
    SendPacket(Sock, Packet);
    GameState = gsTheirTurn;
    UpdateStatus();
    AnnounceMove(column, row, cellMine);
    if (CheckWin(cellMine)) {
        ++PlayerScore;
        GameState = gsGameOver;
        UpdateStatus();
        MessageBox(QStringLiteral("Du hast gewonnen"));
    } else if (Board.isFull()) {
        EndInDraw();
    }
}

void TForm1::EndInDraw()
{
    FlushHistory();
    // Each side finds the draw on its own board, as it finds a win; nothing is sent, so a peer
    // that knows no draw simply starts the next game with New.
    GameState = gsGameOver;
    UpdateStatus();
    MessageBox(QStringLiteral("Unentschieden"));
}

void TForm1::StartNewGame()
{
    TDataPacket Packet;
    Packet.Kind = pkNewGame;
    SendPacket(Sock, Packet);
    ClearBoard();
    GameState = gsMyTurn;
    UpdateStatus();
    Announce(QStringLiteral("Neues Spiel, du beginnst"));
}

void TForm1::New1Click()
{
    if (ConnState != cnConnected)
        return;
    if (GameState == gsNoGame || GameState == gsGameOver) {
        StartNewGame();
        return;
    }
    const SOCKET Connection = Sock;
    const int Answer =
        MessageBox(QStringLiteral("Bist du sicher dass du das Spiel beenden willst?"), QString(),
                   MB_YESNO | MB_ICONSTOP);
    // The answer belongs to the connection it was asked on.
    if (Answer == IDYES && Sock == Connection)
        StartNewGame();
}

bool TForm1::FromCurrentConnection(const TDataPacket &Packet) const
{
    // Handles are never reused, so a packet of an ended connection never matches.
    return Sock != 0 && Packet.Origin == Sock;
}

void TForm1::HandlePacket(const TDataPacket &Packet)
{
    switch (Packet.Kind) {
    case pkMove:
        OpponentMove(Packet);
        break;
    case pkDisconnect:
        ReceiveDisconnect();
        break;
    case pkNewGame:
        if (FromCurrentConnection(Packet)) {
            ClearBoard();
            GameState = gsTheirTurn;
            UpdateStatus();
            Announce(QStringLiteral("Neues Spiel, %1 beginnt").arg(ShownOpponentName()));
        }
        break;
    case pkChat:
        ReceiveChat(Packet);
        break;
    case pkName:
        ReceiveName(Packet);
        break;
    default:
        break;
    }
}

void TForm1::OpponentMove(const TDataPacket &Packet)
{
    // A move counts only in the peer's turn. A correct peer moves out of turn only about a
    // game that has ended on this side (our New crossed its move, or the game was won), and
    // applying it would put a piece on the next game's board that the peer's board lacks.
    if (!FromCurrentConnection(Packet) || !TBoard::contains(Packet.Column, 1) ||
        GameState != gsTheirTurn)
        return;
    const int Row = Board.dropInto(Packet.Column, cellTheirs);
    RepaintBoard();
    GameState = gsMyTurn;
    UpdateStatus();
    if (Row > 0)
        AnnounceMove(Packet.Column, Row, cellTheirs);
    if (!CheckWin(cellTheirs)) {
        if (Board.isFull()) {
            // Packets behind this one belong to the next game: the box must not hold them.
            ContinueHandingOn(Sock);
            EndInDraw();
        }
        return;
    }
    ++OpponentScore;
    GameState = gsGameOver;
    UpdateStatus();
    FlushHistory();

    const SOCKET Connection = Sock;
    auto dialog = std::make_unique<TForm5>(this);
    Form5 = dialog.get();
    dialog->Label1()->setText(QStringLiteral("Du hast verloren"));
    // What arrived behind the winning move (the winner's New and first move, chat) is handed
    // on while the dialog is open, as later bytes are; after it closes it would land on the
    // next game's board.
    ContinueHandingOn(Connection);
    const int Result = dialog->ShowModal();
    // The connection may have ended, or another taken its place, while the dialog was open.
    if (Sock != Connection)
        return;
    if (Result == mrOk)
        StartNewGame();
    else
        Disconnect1Click();
}

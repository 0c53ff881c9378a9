#include "app/Unit1.h"

#include "net/PacketText.h"

#include <QScopedValueRollback>

using namespace winsock;

void TForm1::WMSocket(const SocketMessage &Message)
{
    switch (Message.selectEvent()) {
    case FD_READ:
        ReceivePackets(Message.socket());
        break;
    case FD_WRITE:
        FlushSendQueue(Message.socket());
        break;
    case FD_ACCEPT:
        HandleAccept();
        break;
    case FD_CONNECT:
        // A refused or unreachable peer is no connection: nothing may be sent to it.
        if (Message.selectError() != 0)
            HandleConnectFailure(Message.selectError());
        else
            HandleConnected();
        break;
    case FD_CLOSE:
        CloseConnection();
        break;
    default:
        break;
    }
}

void TForm1::HandleAccept()
{
    int Length = sizeof SockAddr;
    const SOCKET New = accept(Sock, &SockAddr, &Length);
    if (New < 0) {
        // While the box is open, the listening socket may report the same failure again.
        if (AcceptFailureShown)
            return;
        const QScopedValueRollback<bool> Shown(AcceptFailureShown, true);
        ShowError(QStringLiteral("Unable to accept connection"));
        return;
    }
    WSAAsyncSelect(Sock, this, WM_USER, 0);
    // The new socket is the connection before a close box can open: packets it delivers
    // meanwhile belong to it.
    const SOCKET Listener = Sock;
    Sock = New;
    if (Listener != 0 && closesocket(Listener) != 0)
        ReportSocketError(QStringLiteral("Disconnect (closesocket)"));
    AddressText = QString::fromLatin1(inet_ntoa(SockAddr.sin_addr));
    SendName();
    ConnState = cnConnected;
    UpdateStatus();
}

void TForm1::HandleConnected()
{
    SendName();
    ConnState = cnConnected;
    UpdateStatus();
    StartNewGame();
}

void TForm1::HandleConnectFailure(int Error)
{
    const SOCKET Attempt = Sock;
    WSASetLastError(Error);
    ReportSocketError(QStringLiteral("Connect(Connect)"));
    if (Sock == Attempt)
        CloseConnection();
}

void TForm1::SendName()
{
    SendPacket(Sock, TextPacket(pkName, PlayerName));
}

void TForm1::CloseConnection()
{
    const bool Ended = ConnState == cnConnected;
    WSAAsyncSelect(Sock, this, WM_USER, 0);
    if (Sock != 0 && closesocket(Sock) != 0)
        ReportSocketError(QStringLiteral("Disconnect (closesocket)"));
    AddressText.clear();
    PortText.clear();
    Sock = 0;
    ConnState = cnDisconnected;
    GameState = gsNoGame;
    ClearConnectionBuffers();
    UpdateStatus();
    if (Ended)
        Announce(QStringLiteral("Verbindung beendet"));
}

void TForm1::Disconnect1Click()
{
    TDataPacket Packet;
    Packet.Kind = pkDisconnect;
    SendPacket(Sock, Packet);
    CloseConnection();
}

void TForm1::StopListening1Click()
{
    CloseConnection();
}

#include "app/Unit1.h"

#include "net/PacketText.h"

#include <QTimer>

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
        ReportAcceptFailure();
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
    // The port in use, not the text typed: "0" or a service name would tell the user nothing.
    sockaddr_in Own{};
    int OwnLength = sizeof Own;
    if (getsockname(Sock, &Own, &OwnLength) == 0)
        PortText = QString::number(ntohs(Own.sin_port));
    SendName();
    ConnState = cnConnected;
    UpdateStatus();
}

void TForm1::ReportAcceptFailure()
{
    // A failure that persists (no descriptors left) would be met again at every poll: the
    // listening socket rests while the box is open, and afterwards long enough for the user
    // to stop listening before the one further try.
    const SOCKET Listener = Sock;
    WSAAsyncSelect(Listener, this, WM_USER, 0);
    ShowError(QStringLiteral("Unable to accept connection"));
    QTimer::singleShot(AcceptRetryDelayMs, this, [this, Listener] {
        if (Sock == Listener && ConnState == cnListening)
            WSAAsyncSelect(Listener, this, WM_USER, ListenEvents);
    });
}

void TForm1::HandleConnected()
{
    SendName();
    // The port connected to, as the look-up and the 16-bit field made it.
    PortText = QString::number(ntohs(SockAddr.sin_port));
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
    StopOpponent();
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

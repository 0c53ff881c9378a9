#include "app/Unit1.h"

using namespace winsock;

// The connection commands arrive with the connection manager.
void TForm1::Connect1Click() {}
void TForm1::Disconnect1Click() {}
void TForm1::Listen1Click() {}
void TForm1::StopListening1Click() {}

void TForm1::WMSocket(const SocketMessage &Message)
{
    switch (Message.selectEvent()) {
    case FD_READ:
        ReceivePackets(Message.socket());
        break;
    case FD_WRITE:
        FlushSendQueue(Message.socket());
        break;
    default:
        // FD_ACCEPT, FD_CONNECT and FD_CLOSE are served with the connection commands.
        break;
    }
}

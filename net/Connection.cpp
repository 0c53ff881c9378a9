#include "app/Unit1.h"
#include "app/dialogs/Unit2.h"
#include "app/dialogs/Unit3.h"
#include "controls/NumberEdit.h"

#include <QLineEdit>

#include <memory>

using namespace winsock;

void TForm1::Connect1Click()
{
    // Owned here, so that a failure of DoConnect still destroys the dialog.
    auto dialog = std::make_unique<TForm2>(this);
    Form2 = dialog.get();
    if (Form2->ShowModal() == mrOk) {
        AddressText = Form2->Edit1()->text();
        PortText = Form2->NumberEdit1()->text();
        DoConnect();
    }
}

void TForm1::Listen1Click()
{
    auto dialog = std::make_unique<TForm3>(this);
    Form3 = dialog.get();
    if (Form3->ShowModal() == mrOk) {
        PortText = Form3->NumberEdit1()->text();
        DoListen();
    }
}

// Opening, watching and closing the connection arrive with the connection manager.
void TForm1::DoConnect() {}
void TForm1::DoListen() {}
void TForm1::Disconnect1Click() {}
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

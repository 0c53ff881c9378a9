#include "app/Unit1.h"
#include "app/dialogs/Unit2.h"
#include "app/dialogs/Unit3.h"
#include "controls/NumberEdit.h"
#include "controls/NumberEditRules.h"
#include "platform/MessageBox.h"

#include <QLineEdit>

#include <cstring>
#include <memory>
#include <stdexcept>

using namespace winsock;

namespace {

constexpr int TcpProtocolNumber = 6;
constexpr long ConnectEvents = FD_READ | FD_CONNECT | FD_CLOSE;

winsock::u_long FirstAddress(const hostent *Host)
{
    winsock::u_long Address = INADDR_NONE;
    if (Host && Host->h_addr_list && Host->h_addr_list[0])
        std::memcpy(&Address, Host->h_addr_list[0], sizeof Address);
    return Address;
}

QString Dotted(winsock::u_long Address)
{
    return QString::fromLatin1(inet_ntoa(in_addr{Address}));
}

} // namespace

void TForm1::Connect1Click()
{
    // Read through the local owner: a nested dialog of the same class may reset Form2.
    auto dialog = std::make_unique<TForm2>(this);
    Form2 = dialog.get();
    if (dialog->ShowModal() == mrOk) {
        AddressText = dialog->Edit1()->text();
        PortText = dialog->NumberEdit1()->text();
        DoConnect();
    }
}

void TForm1::Listen1Click()
{
    auto dialog = std::make_unique<TForm3>(this);
    Form3 = dialog.get();
    if (dialog->ShowModal() == mrOk) {
        PortText = dialog->NumberEdit1()->text();
        DoListen();
    }
}

void TForm1::ResolvePort()
{
    // The whole text: a long one is no service name and no number, and is reported whole.
    const QByteArray Name = PortText.toLocal8Bit();
    ServiceEntry = getservbyname(Name.constData(), "tcp");
    if (ServiceEntry) {
        SockAddr.sin_port = u_short(ServiceEntry->s_port);
        return;
    }
    const std::optional<std::int32_t> Number =
        NumberEditRules::ReadInteger(PortText.toStdU16String());
    if (!Number) {
        const QString Message = QStringLiteral("'%1' is not a valid integer value").arg(PortText);
        throw std::invalid_argument(Message.toLocal8Bit().toStdString());
    }
    SockAddr.sin_port = htons(u_short(*Number));
}

int TForm1::TcpProtocol()
{
    ProtocolEntry = getprotobyname("tcp");
    return ProtocolEntry ? ProtocolEntry->p_proto : TcpProtocolNumber;
}

QString TForm1::ResolveAddress(const QString &Name)
{
    const QByteArray Bytes = Name.toLocal8Bit();
    const winsock::u_long Address = inet_addr(Bytes.constData());
    if (Address != INADDR_NONE)
        return Dotted(Address);
    HostEntry = gethostbyname(Bytes.constData());
    if (HostEntry && HostEntry->h_addr_list[0])
        return Dotted(FirstAddress(HostEntry));
    return Name;
}

void TForm1::AbandonSocket()
{
    // A socket whose set-up failed: it never became the connection.
    closesocket(Sock);
    Sock = 0;
}

void TForm1::DoConnect()
{
    if (PortText.isEmpty()) {
        ShowError(QStringLiteral("Keine Kanalangabe"));
        return;
    }
    if (AddressText.isEmpty()) {
        ShowError(QStringLiteral("Keine Adressangabe"));
        return;
    }
    AddressText = ResolveAddress(AddressText);
    SockAddr = {};
    SockAddr.sin_family = AF_INET;
    ResolvePort();
    const QByteArray Address = AddressText.toLocal8Bit().left(255);
    SockAddr.sin_addr.s_addr = inet_addr(Address.constData());
    if (SockAddr.sin_addr.s_addr == INADDR_NONE) {
        HostEntry = gethostbyname(Address.constData());
        if (!HostEntry) {
            ShowError(QStringLiteral("Unmöglich zu verbinden"));
            return;
        }
        SockAddr.sin_addr.s_addr = FirstAddress(HostEntry);
    }

    Sock = socket(AF_INET, SOCK_STREAM, TcpProtocol());
    if (Sock < 0) {
        ReportSocketError(QStringLiteral("Connect(Socket)"));
        Sock = 0;
        return;
    }
    if (WSAAsyncSelect(Sock, this, WM_USER, ConnectEvents) != 0) {
        ReportSocketError(QStringLiteral("Connect(WSAASyncSelect)"));
        AbandonSocket();
        return;
    }
    if (winsock::connect(Sock, &SockAddr, sizeof SockAddr) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        ReportSocketError(QStringLiteral("Connect(Connect)"));
        AbandonSocket();
        return;
    }
    // Connected or not, cnConnected waits for FD_CONNECT.
    ConnState = cnConnecting;
    UpdateStatus();
}

void TForm1::DoListen()
{
    if (PortText.isEmpty()) {
        ShowError(QStringLiteral("Keine Kanalangabe"));
        return;
    }
    SockAddr = {};
    SockAddr.sin_family = AF_INET;
    SockAddr.sin_addr.s_addr = INADDR_ANY;
    ResolvePort();

    Sock = socket(AF_INET, SOCK_STREAM, TcpProtocol());
    if (Sock < 0) {
        ReportSocketError(QStringLiteral("Listen(Socket)"));
        Sock = 0;
        return;
    }
    if (bind(Sock, &SockAddr, sizeof SockAddr) != 0) {
        if (WSAGetLastError() == WSAEADDRINUSE)
            MessageBox(
                QStringLiteral("Dieser Port wird bereit genutzt. Versuche einen anderen Port"));
        else
            ReportSocketError(QStringLiteral("Listen(Bind)"));
        AbandonSocket();
        return;
    }
    if (listen(Sock, 5) != 0) {
        ReportSocketError(QStringLiteral("Listen(Listen)"));
        AbandonSocket();
        return;
    }
    if (WSAAsyncSelect(Sock, this, WM_USER, ListenEvents) != 0) {
        ReportSocketError(QStringLiteral("Liten(WSAASyncSelect)"));
        AbandonSocket();
        return;
    }
    ListenStatusText = ComposeListenStatus();
    ConnState = cnListening;
    UpdateStatus();
}

QString TForm1::ComposeListenStatus()
{
    char Name[1024] = {};
    if (gethostname(Name, int(sizeof Name)) != 0)
        return QString();
    HostEntry = gethostbyname(Name);
    QString Official = QString::fromLocal8Bit(Name);
    QString Address;
    if (HostEntry) {
        Official = QString::fromLocal8Bit(HostEntry->h_name);
        if (HostEntry->h_addr_list[0])
            Address = Dotted(FirstAddress(HostEntry));
    }
    // The port the system gave, so that "0" or a service name tells the user the number.
    QString Port = PortText;
    sockaddr_in Own{};
    int Length = sizeof Own;
    if (getsockname(Sock, &Own, &Length) == 0)
        Port = QString::number(ntohs(Own.sin_port));
    return QStringLiteral("Status: Warten auf Verbindung: %1 (%2) Port %3")
        .arg(Official, Address, Port);
}

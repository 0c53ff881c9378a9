#include "app/Unit1.h"

#include "net/SocketErrorText.h"
#include "platform/MessageBox.h"

using namespace winsock;

void TForm1::ReportSocketError(const QString &Where)
{
    // First: the box's own loop may run socket calls that change the code.
    const int Code = WSAGetLastError();
    const std::string Text = SocketErrorMessage(Code, Where.toStdString());
    MessageBox(QString::fromStdString(Text), QStringLiteral("Winsock Error"), 0);
}

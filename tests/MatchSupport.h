#pragma once

// Two main windows in one process, a bare peer, and the boxes they show: what the network
// tests share.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "app/Unit4.h"
#include "game/BoardGeometry.h"
#include "net/PacketCodec.h"
#include "platform/PaintBox.h"
#include "platform/StatusBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <sys/types.h>

#include <memory>

constexpr int NetTimeout = 10000;

// Answers every modal window as it appears and records it: a message box as
// "caption|text|icon", the play-again dialog as "TForm5|label". The policy names the button
// to press ("Yes" and "No" whatever the language); without one the window is closed.
class BoxAnswerer
{
public:
    QStringList seen;
    std::function<QString(const QString &)> policy;
    // The name question of a window's start-up takes this name.
    QString name = QStringLiteral("Anna");

private:
    ModalAnswerer m_answerer{[this](QWidget *modal) {
        answer(modal);
    }};

    void answer(QWidget *modal)
    {
        if (auto dialog = qobject_cast<TForm4 *>(modal)) {
            dialog->Edit1()->setText(name);
            return dialog->accept();
        }
        QString text;
        auto box = qobject_cast<QMessageBox *>(modal);
        if (box)
            text = box->windowTitle() + '|' + box->text() + '|' + QString::number(box->icon());
        else if (auto label = modal->findChild<QLabel *>("Label1"))
            text = modal->metaObject()->className() + QStringLiteral("|") + label->text();
        seen << text;
        const QString press = policy ? policy(text) : QString();
        if (box && (press == "Yes" || press == "No"))
            return box->button(press == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
        for (QPushButton *button : modal->findChildren<QPushButton *>()) {
            if (!press.isEmpty() && button->text().remove('&') == press)
                return button->click();
        }
        modal->close();
    }
};

inline std::unique_ptr<TForm1> makeForm(BoxAnswerer &boxes, const QString &name)
{
    boxes.name = name;
    auto form = std::make_unique<TForm1>();
    form->show();
    return form;
}

// The history's lines from the top (newest) down, without the zero-width spaces that let long
// words wrap.
inline QStringList history(TForm1 &form)
{
    return form.Memo2()->toPlainText().remove(QChar(0x200B)).split('\n', Qt::SkipEmptyParts);
}

inline bool disconnected(TForm1 &form)
{
    return form.ConnState == cnDisconnected && form.Sock == 0 && form.GameState == gsNoGame;
}

// Listens on a port the system chooses, and returns it.
inline std::uint16_t listenOnAnyPort(TForm1 &form)
{
    form.PortText = "0";
    form.DoListen();
    winsock::sockaddr_in address{};
    int length = sizeof address;
    winsock::getsockname(form.Sock, &address, &length);
    return winsock::ntohs(address.sin_port);
}

// host listens on a port the system chooses, guest connects to it; both wait until the
// first game runs.
inline bool connectForms(TForm1 &host, TForm1 &guest)
{
    guest.AddressText = "127.0.0.1";
    guest.PortText = QString::number(listenOnAnyPort(host));
    guest.DoConnect();
    return QTest::qWaitFor(
        [&] { return host.GameState == gsTheirTurn && guest.GameState == gsMyTurn; }, NetTimeout);
}

// Clicks the centre of the cell, as a player does.
inline void clickCell(TForm1 &form, int column, int row)
{
    TPaintBox *surface = form.PaintBox1();
    const CellRect cell = BoardGeometry(surface->width(), surface->height()).cellRect(column, row);
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier,
                      QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
}

inline QByteArray encoded(const QList<TDataPacket> &packets)
{
    ValueWriter writer;
    for (const TDataPacket &packet : packets)
        EncodePacket(packet, writer);
    return QByteArrayView(writer.bytes()).toByteArray();
}

inline TDataPacket packetOf(std::int32_t kind, const std::string &text = {}, int column = 0)
{
    return {0, kind, 0, text, column};
}

inline TDataPacket moveTo(int column)
{
    return packetOf(pkMove, {}, column);
}

// The other end of a connection as a bare POSIX socket, outside the program's sockets layer;
// never blocking.
class RawPeer
{
public:
    QByteArray received;

    ~RawPeer() { close(); }
    bool connectTo(std::uint16_t port);
    // On a loopback port, of the system's choice by default; 0 when it cannot.
    std::uint16_t listen(std::uint16_t port = 0);
    bool acceptOne();
    void send(const QByteArray &bytes);
    // Waits until at least count bytes have arrived in all.
    bool receive(qsizetype count);
    // Waits until the other end has closed the connection, keeping what arrived before.
    bool waitClosed(int timeout = NetTimeout);
    // A reset rather than an orderly close, as when the network fails.
    void close(bool reset = false);

private:
    // What has arrived, appended to received; recv's result.
    ssize_t readWaiting();

    int m_fd = -1;
    int m_listener = -1;
};

#pragma once

// Two copies of the main window in one process, a raw peer on the sockets layer, and the
// boxes both show: what the network tests share.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "app/Unit4.h"
#include "game/BoardGeometry.h"
#include "net/PacketCodec.h"
#include "platform/PaintBox.h"
#include "platform/StatusBar.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <memory>

constexpr int NetTimeout = 10000;

// Answers every modal window as it appears, innermost first, and records it: a message box
// as "caption|text|icon", the play-again dialog as "TForm5|label". The answer is the policy's
// (a button text to press, or empty to close the window); without one, windows are closed.
class BoxAnswerer : public QObject
{
public:
    QStringList seen;
    std::function<QString(const QString &)> policy;

    BoxAnswerer()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { answer(); });
        m_timer.start();
    }

    // The name question of a window's start-up takes this name.
    QString name = QStringLiteral("Anna");

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_last || !modal->isVisible())
            return;
        m_last = modal;
        if (auto dialog = qobject_cast<TForm4 *>(modal)) {
            dialog->Edit1()->setText(name);
            dialog->accept();
            return;
        }
        QString text;
        if (auto box = qobject_cast<QMessageBox *>(modal))
            text = box->windowTitle() + '|' + box->text() + '|' + QString::number(box->icon());
        else if (auto label = modal->findChild<QLabel *>("Label1"))
            text = modal->metaObject()->className() + QStringLiteral("|") + label->text();
        seen << text;
        const QString press = policy ? policy(text) : QString();
        auto box = qobject_cast<QMessageBox *>(modal);
        if (box && (press == "Yes" || press == "No")) {
            box->button(press == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
            return;
        }
        for (QPushButton *button : modal->findChildren<QPushButton *>()) {
            if (!press.isEmpty() && button->text().remove('&') == press) {
                button->click();
                return;
            }
        }
        modal->close();
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
};

inline std::unique_ptr<TForm1> makeForm(BoxAnswerer &boxes, const QString &name)
{
    boxes.name = name;
    auto form = std::make_unique<TForm1>();
    form->show();
    return form;
}

inline QString panelText(TForm1 &form, int panel)
{
    return form.StatusBar1()->panelText(panel);
}

// The history from the top (newest) line down.
inline QStringList history(TForm1 &form)
{
    // Without the zero-width spaces that let long words wrap.
    QStringList lines = form.Memo2()->toPlainText().remove(QChar(0x200B)).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// No connection, no socket, no game, and the commands to start another one enabled.
inline bool disconnectedAndReady(TForm1 &form)
{
    return form.ConnState == cnDisconnected && form.Sock == 0 && form.GameState == gsNoGame &&
           form.Connect1()->isEnabled() && form.Listen1()->isEnabled() &&
           form.StatusBar1()->panelText(0) == "Status: Nicht verbunden";
}

inline QAction *action(TForm1 &form, const char *name)
{
    return form.findChild<QAction *>(name);
}

inline std::uint16_t listeningPort(winsock::SOCKET s)
{
    winsock::sockaddr_in address{};
    int length = sizeof address;
    winsock::getsockname(s, &address, &length);
    return winsock::ntohs(address.sin_port);
}

// host listens on a port the system chooses, guest connects to it; both wait until the
// first game runs.
inline bool connectForms(TForm1 &host, TForm1 &guest)
{
    host.PortText = "0";
    host.DoListen();
    if (host.ConnState != cnListening)
        return false;
    guest.AddressText = "127.0.0.1";
    guest.PortText = QString::number(listeningPort(host.Sock));
    guest.DoConnect();
    return QTest::qWaitFor(
        [&] { return host.GameState == gsTheirTurn && guest.GameState == gsMyTurn; }, NetTimeout);
}

// The row a piece dropped into the column would take; 0 when it is full.
inline int freeRow(const TForm1 &form, int column)
{
    for (int row = 1; row <= TBoard::Rows; ++row)
        if (form.Board.cell(column, row) == cellEmpty)
            return row;
    return 0;
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

// The other end of a connection as a bare POSIX socket, outside the program's sockets
// layer: sends what a test gives it and keeps what arrives, polled, never blocking.
class RawPeer
{
public:
    QByteArray received;

    RawPeer() = default;
    RawPeer(const RawPeer &) = delete;
    RawPeer &operator=(const RawPeer &) = delete;
    ~RawPeer() { close(); }

    bool connectTo(std::uint16_t port);
    // Listens on a loopback port of the system's choice and returns it.
    std::uint16_t listen();
    bool acceptOne();
    void send(const QByteArray &bytes);
    // Reads until at least count bytes have arrived in all.
    bool receive(qsizetype count)
    {
        return QTest::qWaitFor([&] { return readSome() >= count; }, NetTimeout);
    }
    // Reads what is there; the number of bytes received in all, or -1 once the program has
    // closed its end.
    qsizetype readSome();
    // A reset rather than an orderly close, as when the network fails.
    void reset();
    void close();

private:
    int m_fd = -1;
    int m_listener = -1;
};

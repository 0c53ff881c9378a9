#pragma once

#include "controls/FloatingPanel.h"
#include "game/Board.h"
#include "net/ReceiveBuffer.h"
#include "net/SendQueue.h"
#include "net/TDataPacket.h"
#include "platform/SocketMessage.h"

#include <QColor>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string_view>

namespace Ui {
class TForm1;
}

class Announcer;
class BoardAccessible;
class QAction;
class QFrame;
class QPainter;
class QPlainTextEdit;
class QProcess;
class StatusBar;
class TPaintBox;

// Connection states.
enum { cnDisconnected = 0, cnConnected = 1, cnListening = 2, cnConnecting = 3 };
// Game states.
enum { gsNoGame = 0, gsGameOver = 1, gsMyTurn = 2, gsTheirTurn = 3 };

// The main window. It owns all game and connection state for the whole run; the game,
// network and chat folders define the methods of their subsystems.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Controls of the stored layout.
    QFrame *Panel1() const;
    TPaintBox *PaintBox1() const;
    TFloatingPanel *FloatingPanel2() const;
    QPlainTextEdit *Memo1() const;
    QPlainTextEdit *Memo2() const;
    StatusBar *StatusBar1() const;
    QAction *Connect1() const;
    QAction *Disconnect1() const;
    QAction *Listen1() const;
    QAction *StopListening1() const;
    QAction *Computer1() const;

    // Start-up and shutdown.
    void FormCreate();
    void FormDestroy();
    void FormResize();
    void Panel1Resize();
    void AdjustStatusPanels();
    void ShowError(const QString &text);

    // Status bar and menu states.
    void UpdateStatus();
    // Whose turn it is, as the status bar says it.
    QString TurnText() const;
    // The opponent's name as every view shows it: cut, so that a peer's long name costs no
    // more to lay out than a short one.
    QString ShownOpponentName() const;
    static constexpr int ShownNameLength = 64;
    void SetMenuStates(bool connect, bool disconnect, bool listen, bool stopListening);

    // Menu commands.
    void New1Click();
    void Exit1Click();
    void Connect1Click();
    void Disconnect1Click();
    void Listen1Click();
    void StopListening1Click();
    void about1Click();
    void Computer1Click();

    // Board view.
    void PaintBox1Paint();
    void PaintBox1MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // The immediate repaint: the board is on screen when it returns.
    void RepaintBoard();
    void DrawWinLine(int column1, int row1, int column2, int row2);
    bool CheckWin(int32_t player);
    void ClearBoard();

    // Playing with the keyboard and reading the board without sight.
    bool PaintBox1KeyDown(int Key, Qt::KeyboardModifiers Shift, bool AutoRepeat = false);
    void PaintBox1Overlay(QPainter &painter);
    // Whether the chosen column changed.
    bool ChooseColumn(int column);
    // The focus frame and the column's ring show in keyboard mode only.
    void SetKeyboardMode(bool on);
    QString BoardCellName(int column, int row) const;
    QString BoardName() const;
    // The chosen column and where a piece would fall into it.
    QString ChosenColumnPhrase() const;
    // Why the keyboard's drop into the chosen column cannot happen; empty when it can.
    QString DropRefusal() const;
    // Has a screen reader speak the news, naming the cell that changed (if any).
    void Announce(const QString &News, int column = 0, int row = 0);
    void AnnounceMove(int column, int row, std::int32_t player);
    // News that the peer brought: also asks for attention while the window is not active.
    void AnnounceFromPeer(const QString &News);
    void AnnounceChosenCell();
    Announcer *Announcer1() const { return m_announcer; }
    // Asks the desktop to point the player to the window, unless it is the active one; once
    // until the window is activated again, however much news a peer sends meanwhile.
    void CallAttention();
    // Virtual so that tests can see when the desktop is asked.
    virtual void RequestAttention();

    // Match flow.
    virtual void PlayMove(int column, int row);
    void StartNewGame();
    // The last cell filled without a line of four.
    void EndInDraw();
    void OpponentMove(const TDataPacket &Packet);
    // Whether the packet came over the connection that is open now.
    bool FromCurrentConnection(const TDataPacket &Packet) const;

    // Chat.
    void Memo1KeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void SendChat(const QString &Line);
    // Puts the line on top of the history; while packets are handed on, once they are through.
    void AddHistoryLine(const QString &Line);
    // Shows the lines that wait.
    void FlushHistory();
    void ReceiveChat(const TDataPacket &Packet);
    void ReceiveDisconnect();
    void ReceiveName(const TDataPacket &Packet);
    // Characters the history keeps at most.
    static constexpr int HistoryLimit = 4 * 1024 * 1024;
    // Lines the history keeps at most; a longer line is shown cut, ending in an ellipsis.
    static constexpr int HistoryLines = 20000;
    static constexpr int LongestHistoryLine = 16 * 1024;
    // Frees the layouts of the lines that the Added ones pushed out of view.
    void ReleaseHiddenLayouts(int Added);

    // Packets.
    // Virtual so that tests can watch what goes out.
    virtual void SendPacket(winsock::SOCKET Socket, const TDataPacket &Packet);
    void ReceivePackets(winsock::SOCKET Socket);
    // Hands on the whole packets buffered for Socket, each taken out first.
    void HandOnPackets(winsock::SOCKET Socket);
    // After a packet's handling failed or took its share of time: the rest follows from the
    // event loop, not from the peer's next bytes.
    void ContinueHandingOn(winsock::SOCKET Socket);
    bool TagDiffers(std::string_view Tag) const;
    // Virtual so that tests can watch what arrives.
    virtual void HandlePacket(const TDataPacket &Packet);
    // What waits in the send queue goes out once Socket can take more.
    void FlushSendQueue(winsock::SOCKET Socket);
    // Drops what the connection has buffered either way, when it closes.
    void ClearConnectionBuffers();

    // The connection.
    void DoConnect();
    void DoListen();
    QString ResolveAddress(const QString &Name);
    // Sets SockAddr's port from PortText: a service name, else a number.
    void ResolvePort();
    // The protocol number of "tcp".
    int TcpProtocol();
    QString ComposeListenStatus();
    void AbandonSocket();

    // Socket events and errors.
    void WMSocket(const winsock::SocketMessage &Message);
    void HandleAccept();
    // One box per failed accept, and a pause before the next try.
    void ReportAcceptFailure();
    static constexpr int AcceptRetryDelayMs = 1000;
    static constexpr long ListenEvents = winsock::FD_READ | winsock::FD_ACCEPT | winsock::FD_CLOSE;
    void HandleConnected();
    void HandleConnectFailure(int Error);
    void SendName();
    // The close sequence.
    void CloseConnection();
    void ReportSocketError(const QString &Where);

    // The computer opponent, a child process that the ordinary connect path plays against.
    // Starts it at level (0 to 2) and returns the loopback port it listens on; empty when it
    // could not be started.
    QString StartOpponent(int level);
    // Ends the child, if any, and waits for it: it lives no longer than its connection.
    void StopOpponent();
    static constexpr int OpponentStartTimeoutMs = 5000;
    static constexpr int OpponentStopTimeoutMs = 1000;

    // The state, in its declared order.
    QString ListenStatusText;
    TBoard Board;
    QColor PlayerColor;
    QColor OpponentColor;
    QColor BoardColor;
    QColor EmptyColor;
    QString PortText;
    QString AddressText;
    winsock::sockaddr_in SockAddr{};
    winsock::servent *ServiceEntry = nullptr;
    winsock::hostent *HostEntry = nullptr;
    winsock::protoent *ProtocolEntry = nullptr;
    winsock::SOCKET Sock = 0;
    int32_t ConnState = cnDisconnected;
    int32_t GameState = gsNoGame;
    winsock::WSADATA WSAData{};
    QString OpponentName;
    QString PlayerName;
    int32_t OpponentScore = 0;
    int32_t PlayerScore = 0;
    // Not part of the state above: they keep packets whole when TCP splits them on receipt or
    // send takes only part of one. Each serves the one socket it is bound to.
    ReceiveBuffer Incoming;
    winsock::SOCKET IncomingSocket = 0;
    SendQueue Outgoing;
    winsock::SOCKET OutgoingSocket = 0;
    // Hand-ons under way or queued; while there are any, a close keeps the packets already
    // received.
    int HandOnDepth = 0;
    bool HandOnPending = false;
    bool IncomingClosed = false;
    bool SocketsStarted = false;
    // The keyboard's column, kept across moves and games.
    int ChosenColumn = 4;
    // History lines that fitted the view when it was last looked at; lines on their way in.
    int LinesInView = 0;
    QStringList PendingHistory;
    qsizetype PendingHistorySize = 0;
    // Reached by Tab or played by keys since the last click on the board.
    bool KeyboardMode = false;
    // The computer opponent's process while it runs; the level last chosen for it, for the run.
    QProcess *Opponent = nullptr;
    int ComputerLevel = 1;
    // Its executable; empty means dropstone-opponent next to the program's own.
    QString OpponentProgram;
    // The desktop was asked for attention since the window was last active.
    bool AttentionAsked = false;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    Ui::TForm1 *ui;
    Announcer *m_announcer = nullptr;
};

extern TForm1 *Form1;

#include "Unit1.h"

#include "Unit4.h"
#include "chat/HistoryAccessible.h"
#include "dialogs/Unit6.h"
#include "game/BoardAccessible.h"
#include "ui_Unit1.h"

#include "platform/AlignLayout.h"
#include "platform/Announcer.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/StatusBar.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPalette>
#include <QScreen>

#include <memory>

using namespace winsock;

TForm1 *Form1 = nullptr;

TForm1::TForm1(QWidget *parent) : QMainWindow(parent), ui(new Ui::TForm1)
{
    Form1 = this;
    // Once for the program, before any history exists: an interface, once made, is kept for
    // the widget's life.
    static const bool historyReadable =
        (QAccessible::installFactory(&HistoryAccessible::factory), true);
    Q_UNUSED(historyReadable)
    ui->setupUi(this);
    AlignLayout::applyStoredAlign(ui->ClientArea);
    StatusBar1()->setPanelCount(2);
    StatusBar1()->setPanelWidth(0, 400);
    StatusBar1()->setPanelWidth(1, 100);
    StatusBar1()->setPanelText(0, QStringLiteral("STATUS"));
    StatusBar1()->setPanelText(1, QStringLiteral("Score"));
    // After the panels, which readers find by their place in the bar.
    m_announcer = new Announcer(StatusBar1());
    // The stored size is that of the client area below the menu bar.
    resize(565, 374 + menuBar()->sizeHint().height());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setWindowIcon(QApplication::windowIcon());
    // The history is disabled so that nobody types into, selects, scrolls or tabs into it,
    // yet it is read: it takes the colours of a window's enabled text, not the faint ones of
    // a disabled control.
    QPalette history = ui->Memo2->palette();
    history.setColor(QPalette::Disabled, QPalette::Text,
                     history.color(QPalette::Active, QPalette::WindowText));
    history.setColor(QPalette::Disabled, QPalette::Base,
                     history.color(QPalette::Active, QPalette::Window));
    ui->Memo2->setPalette(history);

    ui->Panel1->installEventFilter(this);
    ui->Memo1->installEventFilter(this);
    ui->PaintBox1->OnPaint = [this] {
        PaintBox1Paint();
    };
    ui->PaintBox1->OnOverlay = [this](QPainter &painter) {
        PaintBox1Overlay(painter);
    };
    ui->PaintBox1->installEventFilter(this);
    ui->PaintBox1->OnAccessible = [this](TPaintBox *surface) {
        return new BoardAccessible(surface, this);
    };
    ui->PaintBox1->OnMouseDown = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                        int y) {
        TApplication::Protect([&] { PaintBox1MouseDown(button, shift, x, y); });
    };
    const auto bind = [this](QAction *item, void (TForm1::*handler)()) {
        connect(item, &QAction::triggered, this,
                [this, handler] { TApplication::Protect([&] { (this->*handler)(); }); });
    };
    bind(ui->New1, &TForm1::New1Click);
    bind(ui->Exit1, &TForm1::Exit1Click);
    bind(ui->Connect1, &TForm1::Connect1Click);
    bind(ui->Disconnect1, &TForm1::Disconnect1Click);
    bind(ui->Listen1, &TForm1::Listen1Click);
    bind(ui->StopListening1, &TForm1::StopListening1Click);
    bind(ui->about1, &TForm1::about1Click);
    bind(ui->Computer1, &TForm1::Computer1Click);

    FormCreate();
}

TForm1::~TForm1()
{
    StopOpponent();
    FormDestroy();
    delete ui;
    if (Form1 == this)
        Form1 = nullptr;
}

QFrame *TForm1::Panel1() const
{
    return ui->Panel1;
}
TPaintBox *TForm1::PaintBox1() const
{
    return ui->PaintBox1;
}
TFloatingPanel *TForm1::FloatingPanel2() const
{
    return ui->FloatingPanel2;
}
QPlainTextEdit *TForm1::Memo1() const
{
    return ui->Memo1;
}
QPlainTextEdit *TForm1::Memo2() const
{
    return ui->Memo2;
}
StatusBar *TForm1::StatusBar1() const
{
    return ui->StatusBar1;
}
QAction *TForm1::Connect1() const
{
    return ui->Connect1;
}
QAction *TForm1::Disconnect1() const
{
    return ui->Disconnect1;
}
QAction *TForm1::Listen1() const
{
    return ui->Listen1;
}
QAction *TForm1::StopListening1() const
{
    return ui->StopListening1;
}
QAction *TForm1::Computer1() const
{
    return ui->Computer1;
}

void TForm1::FormCreate()
{
    TApplication *app = TApplication::instance();
    app->setCursor(crHand, QCursor(QPixmap(QStringLiteral(":/Hand.xpm")), 0, 0));

    SocketsStarted = WSAStartup(0x0101, &WSAData) == 0;
    if (!SocketsStarted) {
        // Still under the default title; the rest of the start-up runs on, and the name
        // dialog ends at once when its loop meets the quit request.
        ShowError(QStringLiteral("Unable to perform WSAStartup"));
        app->Terminate();
    }

    setWindowTitle(QStringLiteral("Dropstone"));
    app->setTitle(QStringLiteral("Dropstone"));

    PlayerColor = QColor(255, 255, 0);
    OpponentColor = QColor(255, 0, 0);
    BoardColor = QColor(0, 0, 255);
    EmptyColor = QColor(255, 255, 255);

    {
        auto dialog = std::make_unique<TForm4>(this);
        Form4 = dialog.get();
        Form4->ShowModal();
        PlayerName = Form4->Edit1()->text();
        OpponentName = QStringLiteral("keiner");
    }

    ui->Game1->setTitle(QStringLiteral("&Spiel"));
    ui->New1->setText(QStringLiteral("&Neu"));
    ui->Exit1->setText(QStringLiteral("&Beenden"));
    ui->Connection1->setTitle(QStringLiteral("&Verbinden"));
    ui->Connect1->setText(QStringLiteral("&Verbinden..."));
    ui->Disconnect1->setText(QStringLiteral("Verbindung &trennen"));
    ui->Listen1->setText(QStringLiteral("&Hören..."));
    ui->StopListening1->setText(QStringLiteral("&Hören stoppen"));
    ui->Computer1->setText(QStringLiteral("Gegen den &Computer..."));
    ui->Help1->setTitle(QStringLiteral("&Hilfe"));
    ui->about1->setText(QStringLiteral("&Über..."));
    ui->Memo2->setAccessibleName(QStringLiteral("Chatverlauf"));
    // Lines are only ever added and dropped by the program: an undo record of each would
    // grow without end.
    ui->Memo2->setUndoRedoEnabled(false);
    ui->Memo1->setAccessibleName(QStringLiteral("Chatnachricht"));

    ConnState = cnDisconnected;
    GameState = gsNoGame;
    UpdateStatus();
}

void TForm1::FormDestroy()
{
    // A library that never started has nothing to clean up, and no failure to report.
    if (SocketsStarted && WSACleanup() < 0)
        ShowError(QStringLiteral("Unable to perform WSACleanup"));
}

void TForm1::FormResize()
{
    AdjustStatusPanels();
}

void TForm1::Panel1Resize()
{
    AdjustStatusPanels();
}

void TForm1::AdjustStatusPanels()
{
    StatusBar1()->setPanelWidth(0, ui->Panel1->width() + 1);
}

void TForm1::ShowError(const QString &text)
{
    MessageBox(text, TApplication::instance()->Title(), MB_ICONSTOP);
}

void TForm1::Exit1Click()
{
    close();
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        AttentionAsked = false;
    if (event->type() != SocketMessage::eventType())
        return QMainWindow::event(event);
    TApplication::Protect([&] { WMSocket(*static_cast<SocketMessage *>(event)); });
    return true;
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Panel1 && event->type() == QEvent::Resize)
        Panel1Resize();
    if (watched == ui->PaintBox1) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
            ui->PaintBox1->update();
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (event->type() == QEvent::FocusIn) {
                // Focus that comes back after a box keeps the mode it left with.
                if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                    SetKeyboardMode(true);
                AnnounceChosenCell();
            }
        }
        if (event->type() == QEvent::MouseButtonPress)
            SetKeyboardMode(false);
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            bool handled = false;
            TApplication::Protect([&] {
                handled = PaintBox1KeyDown(key->key(), key->modifiers(), key->isAutoRepeat());
            });
            if (handled)
                return true;
        }
    }
    if (watched == ui->Memo1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        TApplication::Protect([&] { Memo1KeyDown(ui->Memo1, key->key(), key->modifiers()); });
        // The chat input's Enter never breaks the line, whatever modifiers are held.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closing the main window ends the program, without a question.
    event->accept();
    TApplication::instance()->Terminate();
}

void TForm1::about1Click()
{
    auto dialog = std::make_unique<TForm6>(this);
    Form6 = dialog.get();
    Form6->ShowModal();
}

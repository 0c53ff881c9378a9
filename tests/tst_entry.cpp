// The program entry as a whole: the order of its windows and the failed start of the
// sockets library.
#include "TestSupport.h"

#include "app/Entry.h"
#include "app/Unit1.h"
#include "app/Unit4.h"
#include "platform/WinSock.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenuBar>

class tst_Entry : public QObject
{
    Q_OBJECT

private slots:
    void socketsLibraryFails();
    void ordinaryRun();
    void cleanupFailsAtExit();
};

// Runs the entry, noting every window that shows modally; boxes are answered with OK.
static QStringList runEntry(const std::function<void(QWidget *)> &nameDialog)
{
    QStringList seen;
    ModalAnswerer answerer([&](QWidget *modal) {
        if (auto box = qobject_cast<QMessageBox *>(modal)) {
            seen << box->windowTitle() + ": " + box->text();
            box->button(QMessageBox::Ok)->click();
        } else {
            seen << modal->windowTitle();
            nameDialog(modal);
        }
    });
    DropstoneMain(*TApplication::instance());
    return seen;
}

void tst_Entry::socketsLibraryFails()
{
    const QString defaultTitle = TApplication::defaultTitle(QCoreApplication::arguments()[0]);
    TApplication::instance()->setTitle(defaultTitle);
    winsock::WSAFailNext("WSAStartup", winsock::WSASYSNOTREADY);
    // The name dialog is never answered: the quit request must end it by itself.
    const QStringList seen = runEntry([](QWidget *) {});
    QCOMPARE(seen.first(), defaultTitle + ": Unable to perform WSAStartup");
    QCOMPARE(seen.last(), QString("Dropstone: Unable to perform WSACleanup"));
    QVERIFY(seen.size() <= 3);
    QCOMPARE(Form1, nullptr);
}

void tst_Entry::ordinaryRun()
{
    bool mainWindowHidden = false;
    QString menuBar;
    // When the name is confirmed, the main window shows; leave through the menu.
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        if (Form1 && Form1->isVisible() && !QApplication::activeModalWidget()) {
            poll.stop();
            for (QAction *menu : Form1->menuBar()->actions())
                menuBar += menu->text();
            Form1->findChild<QAction *>("Exit1")->trigger();
        }
    });
    poll.start();
    const QStringList seen = runEntry([&](QWidget *dialog) {
        mainWindowHidden = Form1 && !Form1->isVisible();
        QTest::keyClicks(qobject_cast<TForm4 *>(dialog)->Edit1(), "Eva");
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    QCOMPARE(seen, QStringList{"Name"});
    QVERIFY(mainWindowHidden);
    QCOMPARE(menuBar, QString("&Spiel&Verbinden&Hilfe"));
    QCOMPARE(Form1, nullptr);
}

void tst_Entry::cleanupFailsAtExit()
{
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        if (Form1 && Form1->isVisible() && !QApplication::activeModalWidget()) {
            poll.stop();
            winsock::WSAFailNext("WSACleanup", winsock::WSAEINPROGRESS);
            Form1->close();
        }
    });
    poll.start();
    const QStringList seen = runEntry([](QWidget *dialog) { dialog->close(); });
    QCOMPARE(seen, QStringList({"Name", "Dropstone: Unable to perform WSACleanup"}));
}

DROPSTONE_TEST_MAIN(tst_Entry)
#include "tst_entry.moc"

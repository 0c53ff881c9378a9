// The program entry as a whole: the order of its windows and a failing start or clean-up of the
// sockets library.
#include "TestSupport.h"

#include "app/Entry.h"
#include "app/Unit1.h"
#include "platform/WinSock.h"

#include <QAbstractButton>
#include <QAction>

// Runs the entry, noting every window that shows modally (the name dialog must come after the
// main window is made and before it shows); boxes are answered with OK. With leave set, the
// name dialog is closed and the main window, once up, is left through its menu while the
// sockets library's clean-up fails.
static QStringList runEntry(bool leave)
{
    QStringList seen;
    ModalAnswerer answerer([&](QWidget *modal) {
        if (auto box = qobject_cast<QMessageBox *>(modal)) {
            seen << box->windowTitle() + ": " + box->text();
            box->button(QMessageBox::Ok)->click();
        } else {
            seen << modal->windowTitle() + (Form1 && !Form1->isVisible() ? "" : " out of order");
            if (leave)
                modal->close();
        }
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Form1 && Form1->isVisible() && !QApplication::activeModalWidget()) {
            poll.stop();
            winsock::WSAFailNext("WSACleanup", winsock::WSAEINPROGRESS);
            Form1->findChild<QAction *>("Exit1")->trigger();
        }
    });
    if (leave)
        poll.start(10);
    DropstoneMain(*TApplication::instance());
    return seen;
}

class tst_Entry : public QObject
{
    Q_OBJECT

private slots:
    void socketsLibraryFails()
    {
        const QString defaultTitle = TApplication::defaultTitle(QCoreApplication::arguments()[0]);
        TApplication::instance()->setTitle(defaultTitle);
        winsock::WSAFailNext("WSAStartup", winsock::WSASYSNOTREADY);
        // The name dialog is never answered: the quit request must end it by itself.
        const QStringList seen = runEntry(false);
        // Only the one failure: a library that never started is not cleaned up.
        QCOMPARE(seen.first(), defaultTitle + ": Unable to perform WSAStartup");
        QVERIFY(!seen.contains("Dropstone: Unable to perform WSACleanup"));
        QVERIFY(seen.size() <= 2);
        QCOMPARE(Form1, nullptr);
    }

    void cleanupFails()
    {
        QCOMPARE(runEntry(true), QStringList({"Name", "Dropstone: Unable to perform WSACleanup"}));
        QCOMPARE(Form1, nullptr);
    }
};

DROPSTONE_TEST_MAIN(tst_Entry)
#include "tst_entry.moc"

// Start-up of the main window: the name question, the captions, the layout.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "app/Unit4.h"
#include "platform/PaintBox.h"
#include "platform/StatusBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>

#include <memory>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void nameDialog_data();
    void nameDialog();
    void mainWindow();
    void resizing_data();
    void resizing();
};

void tst_Startup::nameDialog_data()
{
    QTest::addColumn<QString>("typed");  // typed over the selected default, "" types nothing
    QTest::addColumn<QString>("ending"); // enter, okay, closebox, escape-then-closebox
    QTest::addColumn<QString>("expected");

    QTest::newRow("enter keeps default") << ""
                                         << "enter"
                                         << "Spieler";
    QTest::newRow("typing replaces default") << "Anna"
                                             << "enter"
                                             << "Anna";
    QTest::newRow("okay button") << "Bernd"
                                 << "okay"
                                 << "Bernd";
    QTest::newRow("close box still takes text") << "Clara"
                                                << "closebox"
                                                << "Clara";
    QTest::newRow("escape does nothing") << "Dora"
                                         << "escape"
                                         << "Dora";
    QTest::newRow("umlauts and blanks") << " Jürgen Öz "
                                        << "enter"
                                        << " Jürgen Öz ";
    QTest::newRow("empty name taken as it is") << "<empty>"
                                               << "enter"
                                               << "";
}

void tst_Startup::nameDialog()
{
    QFETCH(QString, typed);
    QFETCH(QString, ending);
    QFETCH(QString, expected);

    bool checked = false;
    bool escapeIgnored = false;
    ModalAnswerer answerer([&](QWidget *modal) {
        auto dialog = qobject_cast<TForm4 *>(modal);
        // A failed check must not leave the start-up waiting for the dialog.
        auto closer = qScopeGuard([modal] { modal->close(); });
        QVERIFY(dialog);
        // The question comes before the main window shows.
        QVERIFY(Form1);
        QVERIFY(!Form1->isVisible());
        QCOMPARE(dialog->windowTitle(), QString("Name"));
        QCOMPARE(dialog->size(), QSize(209, 115));
        QVERIFY(dialog->windowFlags() & Qt::Tool);
        auto label = dialog->findChild<QLabel *>("Label1");
        QCOMPARE(label->text(), QString("Bitte gib deinen Namen ein:"));
        QCOMPARE(label->pos(), QPoint(16, 16));
        QLineEdit *edit = dialog->Edit1();
        QCOMPARE(edit->text(), QString("Spieler"));
        QCOMPARE(edit->selectedText(), QString("Spieler"));
        QCOMPARE(edit->geometry(), QRect(16, 40, 177, 21));
        auto button = dialog->findChild<QPushButton *>("Button1");
        QCOMPARE(button->text(), QString("Okay"));
        QVERIFY(button->isDefault());
        QCOMPARE(button->geometry(), QRect(67, 72, 75, 25));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
        checked = true;

        if (typed == "<empty>")
            QTest::keyClick(edit, Qt::Key_Backspace);
        else if (!typed.isEmpty())
            typeText(edit, typed);
        if (ending == "enter") {
            QTest::keyClick(edit, Qt::Key_Return);
        } else if (ending == "okay") {
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            if (ending == "escape") {
                QTest::keyClick(edit, Qt::Key_Escape);
                escapeIgnored = dialog->isVisible();
            }
            dialog->close();
        }
    });
    auto form = std::make_unique<TForm1>();
    QVERIFY(checked);
    if (ending == "escape")
        QVERIFY(escapeIgnored);
    QCOMPARE(form->PlayerName, expected);
    QCOMPARE(form->OpponentName, QString("keiner"));
    QCOMPARE(Form4, nullptr);
}

static std::unique_ptr<TForm1> startForm()
{
    ModalAnswerer answerer([](QWidget *modal) { modal->close(); });
    auto form = std::make_unique<TForm1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get(), 5000))
        return nullptr;
    return form;
}

void tst_Startup::mainWindow()
{
    auto form = startForm();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QString("Dropstone"));
    QCOMPARE(TApplication::instance()->Title(), QString("Dropstone"));
    QCOMPARE(form->centralWidget()->size(), QSize(565, 374));

    QStringList menus;
    for (QAction *menu : form->menuBar()->actions()) {
        QStringList items;
        for (QAction *item : menu->menu()->actions())
            items << (item->isSeparator() ? QString("-") : item->text());
        menus << menu->text() + ": " + items.join(", ");
    }
    QCOMPARE(menus, QStringList({"&Spiel: &Neu, -, &Beenden",
                                 "&Verbinden: &Verbinden..., Verbindung &trennen, &Hören..., "
                                 "&Hören stoppen",
                                 "&Hilfe: &Über..."}));
    for (QAction *menu : form->menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions())
            QVERIFY(item->shortcut().isEmpty());
    }

    QCOMPARE(form->StatusBar1()->panelText(0), QString("Status: Nicht verbunden"));
    QCOMPARE(form->StatusBar1()->panelText(1), QString());
    QCOMPARE(form->StatusBar1()->geometry(), QRect(0, 355, 565, 19));
    QCOMPARE(form->StatusBar1()->panelWidth(0), 401);
    QCOMPARE(form->FloatingPanel2()->geometry(), QRect(400, 0, 165, 355));
    QCOMPARE(form->Panel1()->geometry(), QRect(0, 0, 400, 355));
    QCOMPARE(form->PaintBox1()->geometry(), QRect(1, 1, 398, 353));

    const QCursor hand = TApplication::instance()->Cursor(crHand);
    QCOMPARE(hand.hotSpot(), QPoint(0, 0));
    QCOMPARE(hand.pixmap().size(), QSize(32, 32));

    QCOMPARE(form->PlayerColor, QColor(255, 255, 0));
    QCOMPARE(form->OpponentColor, QColor(255, 0, 0));
    QCOMPARE(form->BoardColor, QColor(0, 0, 255));
    QCOMPARE(form->EmptyColor, QColor(255, 255, 255));
    QCOMPARE(form->Sock, 0);
}

void tst_Startup::resizing_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");

    QTest::newRow("wider") << 800 << 500;
    QTest::newRow("barely wider than the side panel") << 170 << 200;
}

void tst_Startup::resizing()
{
    QFETCH(int, width);
    QFETCH(int, height);

    auto form = startForm();
    QVERIFY(form);
    const int menu = form->height() - form->centralWidget()->height();
    form->resize(width, height + menu);
    QTRY_COMPARE_WITH_TIMEOUT(form->centralWidget()->size(), QSize(width, height), 5000);
    QCOMPARE(form->FloatingPanel2()->width(), 165);
    QCOMPARE(form->Panel1()->width(), width - 165);
    QCOMPARE(form->Panel1()->height(), height - 19);
    QCOMPARE(form->StatusBar1()->panelWidth(0), form->Panel1()->width() + 1);
    QCOMPARE(form->PaintBox1()->size(), form->Panel1()->size() - QSize(2, 2));
}

DROPSTONE_TEST_MAIN(tst_Startup)
#include "tst_startup.moc"

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
    void nameDialog_data()
    {
        QTest::addColumn<QString>("typed"); // typed over the selected default
        QTest::addColumn<bool>("enter");    // Enter, or else Escape and then the close box
        QTest::addColumn<QString>("expected");

        QTest::newRow("enter keeps default") << "" << true << "Spieler";
        QTest::newRow("typing replaces default") << " Jürgen Öz " << true << " Jürgen Öz ";
        QTest::newRow("escape does nothing, close box takes text") << "Dora" << false << "Dora";
        QTest::newRow("empty name taken as it is") << "<backspace>" << true << "";
    }

    void nameDialog()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, expected);

        ModalAnswerer answerer([&](QWidget *modal) {
            auto dialog = qobject_cast<TForm4 *>(modal);
            // Closes the dialog however the answer ends: a failed check must not leave the
            // start-up waiting, and the close box ends the rows that do not confirm.
            auto closer = qScopeGuard([modal] { modal->close(); });
            QVERIFY(dialog);
            QLineEdit *edit = dialog->Edit1();
            auto label = dialog->findChild<QLabel *>("Label1");
            auto button = dialog->findChild<QPushButton *>("Button1");
            const QStringList shown{dialog->windowTitle(), label->text(), edit->text(),
                                    edit->selectedText(), button->text()};
            QCOMPARE(shown, QStringList({"Name", "Bitte gib deinen Namen ein:", "Spieler",
                                         "Spieler", "Okay"}));
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);

            if (typed == "<backspace>")
                QTest::keyClick(edit, Qt::Key_Backspace);
            else
                typeText(edit, typed);
            QTest::keyClick(edit, enter ? Qt::Key_Return : Qt::Key_Escape);
            QCOMPARE(dialog->isVisible(), !enter);
        });
        // The question comes inside the main window's start-up, before it shows.
        auto form = std::make_unique<TForm1>();
        QCOMPARE(form->PlayerName, expected);
        QCOMPARE(form->OpponentName, QString("keiner"));
        QCOMPARE(Form4, nullptr);
    }

    void mainWindow_data()
    {
        QTest::addColumn<QSize>("client"); // resized to, below the menu bar

        QTest::newRow("wider") << QSize(800, 500);
        QTest::newRow("barely wider than the side panel") << QSize(170, 200);
    }

    void mainWindow()
    {
        QFETCH(QSize, client);

        std::unique_ptr<TForm1> form;
        {
            ModalAnswerer nameDialog([](QWidget *modal) { modal->close(); });
            form = std::make_unique<TForm1>();
        }
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get(), 5000));
        QCOMPARE(form->windowTitle(), QString("Dropstone"));
        QCOMPARE(form->centralWidget()->size(), QSize(565, 374));
        QStringList menus;
        for (QAction *menu : form->menuBar()->actions()) {
            QStringList items;
            for (QAction *item : menu->menu()->actions()) {
                items << (item->isSeparator() ? QString("-") : item->text());
                QVERIFY(item->shortcut().isEmpty());
            }
            menus << menu->text() + ": " + items.join(", ");
        }
        QCOMPARE(menus, QStringList({"&Spiel: &Neu, -, &Beenden",
                                     "&Verbinden: &Verbinden..., Verbindung &trennen, &Hören..., "
                                     "&Hören stoppen",
                                     "&Hilfe: &Über..."}));
        QCOMPARE(form->StatusBar1()->panelText(0), QString("Status: Nicht verbunden"));
        QCOMPARE(form->StatusBar1()->panelText(1), QString());
        const QCursor hand = TApplication::instance()->Cursor(crHand);
        QCOMPARE(hand.hotSpot(), QPoint(0, 0));
        QCOMPARE(hand.pixmap().size(), QSize(32, 32));

        // The side panel keeps its width; status panel 0 stays one pixel wider than Panel1.
        const int menu = form->height() - form->centralWidget()->height();
        form->resize(client + QSize(0, menu));
        QTRY_COMPARE_WITH_TIMEOUT(form->centralWidget()->size(), client, 5000);
        const int w = client.width();
        const int h = client.height() - 19;
        QCOMPARE(form->StatusBar1()->geometry(), QRect(0, h, w, 19));
        QCOMPARE(form->FloatingPanel2()->geometry(), QRect(w - 165, 0, 165, h));
        QCOMPARE(form->Panel1()->geometry(), QRect(0, 0, w - 165, h));
        QCOMPARE(form->PaintBox1()->geometry(), QRect(1, 1, w - 167, h - 2));
        QCOMPARE(form->StatusBar1()->panelWidth(0), w - 165 + 1);
    }
};

DROPSTONE_TEST_MAIN(tst_Startup)
#include "tst_startup.moc"

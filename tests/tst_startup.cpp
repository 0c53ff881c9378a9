// Start-up of the main window: the question for the player's name.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "app/Unit4.h"

#include <QLineEdit>
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

        ModalAnswerer answerer([&](QWidget *modal) {
            auto dialog = qobject_cast<TForm4 *>(modal);
            // Closes the dialog however the answer ends: a failed check must not leave the
            // start-up waiting, and the close box ends the rows that do not confirm.
            auto closer = qScopeGuard([modal] { modal->close(); });
            QVERIFY(dialog);
            QLineEdit *edit = dialog->Edit1();
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
        QTEST(form->PlayerName, "expected");
        QCOMPARE(Form4, nullptr);
    }
};

DROPSTONE_TEST_MAIN(tst_Startup)
#include "tst_startup.moc"

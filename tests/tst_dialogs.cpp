// The connect, listen, play-again and about dialogs: how they end, and the about links.
#include "TestSupport.h"

#include "app/dialogs/Unit2.h"
#include "app/dialogs/Unit3.h"
#include "app/dialogs/Unit5.h"
#include "app/dialogs/Unit6.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QUrl>

#include <memory>

static std::unique_ptr<ModalForm> makeDialog(const QString &name)
{
    if (name == "connect")
        return std::make_unique<TForm2>();
    if (name == "listen")
        return std::make_unique<TForm3>();
    if (name == "again")
        return std::make_unique<TForm5>();
    return std::make_unique<TForm6>();
}

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void results_data()
    {
        // Enter in the focused field, Escape, the close box, or Enter on a focused button.
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");

        QTest::newRow("connect, enter") << "enter" << 1;
        QTest::newRow("connect, escape") << "escape" << 2;
        QTest::newRow("connect, close box") << "close" << 2;
        QTest::newRow("listen, enter on cancel") << "enter on Button2" << 2;
        QTest::newRow("again, enter on cancel") << "enter on Button2" << 2;
        QTest::newRow("about, enter on okay") << "enter on Button1" << 1;
        // Without a cancel button Escape does nothing; okay is clicked after it.
        QTest::newRow("about, escape") << "escape" << 1;
    }

    void results()
    {
        QFETCH(QString, action);
        QFETCH(int, result);

        auto form = makeDialog(QString(QTest::currentDataTag()).section(", ", 0, 0));
        ModalAnswerer answerer([&](QWidget *modal) {
            // Closes the dialog however the answer ends: a failed check must not leave the test
            // waiting, and it is the close box of the "close" rows.
            auto closer = qScopeGuard([modal] { modal->close(); });
            QTRY_VERIFY_WITH_TIMEOUT(modal->focusWidget(), 5000);
            if (action == "enter" || action == "escape") {
                QTest::keyClick(modal->focusWidget(),
                                action == "enter" ? Qt::Key_Return : Qt::Key_Escape);
            } else if (action.startsWith("enter on ")) {
                auto button = modal->findChild<QPushButton *>(action.section(' ', 2));
                button->setFocus(Qt::TabFocusReason);
                QTest::keyClick(button, Qt::Key_Return);
            }
            if (action == "escape" && modal->isVisible())
                modal->findChild<QPushButton *>("Button1")->click();
        });
        QCOMPARE(form->ShowModal(), result);
    }

    void aboutLinks()
    {
        QDesktopServices::setUrlHandler("https", this, "openUrl");
        TForm6 form;
        form.show();
        QTest::mouseClick(form.Label4(), Qt::LeftButton);
        QTest::mouseClick(form.Label6(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("https");
        QVERIFY(form.isVisible());
        QCOMPARE(m_opened, QList<QUrl>({QUrl("https://dropstone.example/"),
                                        QUrl("https://dropstone.example/de/")}));
    }

public slots:
    // Stands in for the shell that opens addresses.
    void openUrl(const QUrl &url) { m_opened << url; }

private:
    QList<QUrl> m_opened;
};

DROPSTONE_TEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"

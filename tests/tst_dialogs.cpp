// The connect, listen, play-again and about dialogs: texts, bounds, results, links.
#include "TestSupport.h"

#include "app/Unit1.h"
#include "app/dialogs/Unit2.h"
#include "app/dialogs/Unit3.h"
#include "app/dialogs/Unit5.h"
#include "app/dialogs/Unit6.h"
#include "controls/NumberEdit.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QUrl>

#include <memory>

// The rows are named after their dialog, "connect", "listen", "again" or "about", and then
// what is done to it.
static std::unique_ptr<ModalForm> makeRowsDialog()
{
    const QString name = QString(QTest::currentDataTag()).section(", ", 0, 0);
    if (name == "connect")
        return std::make_unique<TForm2>();
    if (name == "listen")
        return std::make_unique<TForm3>();
    if (name == "again")
        return std::make_unique<TForm5>();
    return std::make_unique<TForm6>();
}

// The title, then every label, button and field in the order they were made.
static QString texts(QWidget *dialog)
{
    QStringList texts{dialog->windowTitle()};
    for (QWidget *child : dialog->findChildren<QWidget *>()) {
        if (auto label = qobject_cast<QLabel *>(child))
            texts << (label->pixmap().isNull() ? label->text() : QStringLiteral("<icon>"));
        else if (auto button = qobject_cast<QPushButton *>(child))
            texts << button->text();
        else if (auto edit = qobject_cast<QLineEdit *>(child))
            texts << "'" + edit->text() + "'";
    }
    return texts.join(", ");
}

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("expected");

        QTest::newRow("connect") << "Verbinden..., Addresse:, Port:, '', '1024', Okay, Abbrechen";
        QTest::newRow("listen") << "Hören, Senden:, '1024', Okay, Abbrechen";
        QTest::newRow("again") << "Nochmal spielen, Label1, Nochmal spielen, Verbindung trennen";
        QTest::newRow("about") << "Über Dropstone, <icon>, Dropstone (Deutsche Version), "
                                  "Freie Software, Coded by Team Dropstone, "
                                  "https://dropstone.example/, Translated by Team Dropstone, "
                                  "https://dropstone.example/de/, Okay";
    }

    void layout()
    {
        QFETCH(QString, expected);

        auto form = makeRowsDialog();
        form->fixLayout();
        QCOMPARE(texts(form.get()), expected);
        // Labels take the size of their text in the program's font; none may leave the window.
        for (const QLabel *label : form->findChildren<QLabel *>())
            QVERIFY2(label->geometry().right() < form->width(), qPrintable(label->text()));
        QVERIFY(form->windowFlags() & Qt::Tool);
        QCOMPARE(form->minimumSize(), form->maximumSize());
    }

    void results_data()
    {
        // enter (in the first field), escape, close (the close box), a button clicked, or a
        // button focused and pressed with Enter.
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");

        for (const QByteArray d : {"connect", "listen", "again"}) {
            QTest::newRow(d + ", enter") << "enter" << 1;
            QTest::newRow(d + ", escape") << "escape" << 2;
            QTest::newRow(d + ", okay") << "Button1" << 1;
            QTest::newRow(d + ", cancel") << "Button2" << 2;
            QTest::newRow(d + ", close box") << "close" << 2;
            QTest::newRow(d + ", enter on cancel") << "enter on Button2" << 2;
        }
        QTest::newRow("about, okay") << "Button1" << 1;
        QTest::newRow("about, enter") << "enter on Button1" << 1;
        QTest::newRow("about, close box") << "close" << 2;
        QTest::newRow("about, escape then okay") << "escape" << 1;
    }

    void results()
    {
        QFETCH(QString, action);
        QFETCH(int, result);

        auto form = makeRowsDialog();
        ModalAnswerer answerer([&](QWidget *modal) {
            // Closes the dialog however the answer ends: a failed check must not leave the test
            // waiting, and it is the close box of the "close" rows.
            auto closer = qScopeGuard([modal] { modal->close(); });
            QTRY_VERIFY_WITH_TIMEOUT(modal->focusWidget(), 5000);
            if (action == "enter" || action == "escape")
                QTest::keyClick(modal->focusWidget(),
                                action == "enter" ? Qt::Key_Return : Qt::Key_Escape);
            else if (action.startsWith("enter on ")) {
                auto button = modal->findChild<QPushButton *>(action.section(' ', 2));
                button->setFocus(Qt::TabFocusReason);
                QTest::keyClick(button, Qt::Key_Return);
            } else if (action != "close")
                QTest::mouseClick(modal->findChild<QPushButton *>(action), Qt::LeftButton);
            // Without a cancel button Escape does nothing.
            if (action == "escape" && modal->isVisible())
                modal->findChild<QPushButton *>("Button1")->click();
        });
        QCOMPARE(form->ShowModal(), result);
    }

    void aboutLinks()
    {
        TApplication::instance()->setCursor(crHand, QCursor(QPixmap(":/Hand.xpm"), 0, 0));
        QDesktopServices::setUrlHandler("https", this, "openUrl");
        TForm6 form;
        form.show();
        QTest::mouseClick(form.Label4(), Qt::LeftButton);
        QTest::mouseClick(form.Label6(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("https");
        QVERIFY(form.isVisible());
        QCOMPARE(m_opened, QList<QUrl>({QUrl("https://dropstone.example/"),
                                        QUrl("https://dropstone.example/de/")}));
        QCOMPARE(form.Label4()->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form.Label6()->cursor().hotSpot(), QPoint(0, 0));
        QVERIFY(form.Label4()->font().underline());
        QCOMPARE(form.Label6()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    }

    // The commands create a fresh dialog for every use and take what was entered.
    void callersReadTheFields()
    {
        QStringList opened; // the address each connect dialog opened with
        ModalAnswerer answerer([&](QWidget *modal) {
            auto port = modal->findChild<TNumberEdit *>("NumberEdit1");
            if (!port)
                return void(modal->close()); // the name question at the start
            if (auto connect = qobject_cast<TForm2 *>(modal)) {
                opened << (Form2 == connect ? "Form2 '" : "? '") + connect->Edit1()->text() + "'";
                typeText(connect->Edit1(), "gegner");
            }
            port->selectAll();
            typeText(port, qobject_cast<TForm3 *>(modal) ? "2000" : "4000");
            QTest::keyClick(port, Qt::Key_Return);
        });
        TForm1 form;
        for (int use = 0; use < 2; ++use) {
            form.Connect1()->trigger();
            QCOMPARE(form.AddressText, QString("gegner"));
            QCOMPARE(form.PortText, QString("4000"));
        }
        QCOMPARE(opened, QStringList({"Form2 ''", "Form2 ''"}));
        form.Listen1()->trigger();
        QCOMPARE(form.PortText, QString("2000"));
        QCOMPARE(Form2, nullptr);
        QCOMPARE(Form3, nullptr);
    }

public slots:
    // Stands in for the shell that opens addresses.
    void openUrl(const QUrl &url) { m_opened << url; }

private:
    QList<QUrl> m_opened;
};

DROPSTONE_TEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"

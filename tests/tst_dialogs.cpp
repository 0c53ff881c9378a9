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

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void results_data();
    void results();
    void aboutLinks();
    void callersReadTheFields();

public slots:
    // Stands in for the shell that opens addresses.
    void openUrl(const QUrl &url) { m_opened << url; }

private:
    QList<QUrl> m_opened;
};

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

// Every visible text and place, as "name text @x,y[,w,h]", and last the tab order.
static QStringList describe(QWidget *dialog)
{
    QStringList lines{dialog->windowTitle() +
                      QStringLiteral(" %1x%2").arg(dialog->width()).arg(dialog->height())};
    for (QWidget *child : dialog->findChildren<QWidget *>()) {
        QString text;
        if (auto label = qobject_cast<QLabel *>(child))
            text = label->pixmap().isNull() ? label->text() : QStringLiteral("<icon>");
        else if (auto button = qobject_cast<QPushButton *>(child))
            text = button->text() + (button->isDefault() ? " [default]" : "");
        else if (auto edit = qobject_cast<QLineEdit *>(child))
            text = "'" + edit->text() + "'";
        else
            continue;
        const QRect r = child->geometry();
        QString where = QStringLiteral("@%1,%2").arg(r.x()).arg(r.y());
        // A label's size follows its text and font.
        if (!qobject_cast<QLabel *>(child) || text == "<icon>")
            where += QStringLiteral(",%1,%2").arg(r.width()).arg(r.height());
        lines << child->objectName() + " " + text + " " + where;
    }
    QStringList order;
    for (QWidget *w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    }
    return lines << "tab: " + order.join(" ");
}

void tst_Dialogs::layout_data()
{
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("connect") << QStringList{"Verbinden... 225x123",
                                            "Label1 Addresse: @16,20",
                                            "Label2 Port: @16,45",
                                            "Edit1 '' @72,16,121,21",
                                            "NumberEdit1 '1024' @72,40,49,22",
                                            "Button1 Okay [default] @32,88,75,25",
                                            "Button2 Abbrechen @120,88,75,25",
                                            "tab: Edit1 NumberEdit1 Button1 Button2"};
    QTest::newRow("listen") << QStringList{"Hören 217x105",
                                           "Label2 Senden: @16,21",
                                           "NumberEdit1 '1024' @72,16,49,22",
                                           "Button1 Okay [default] @32,64,75,25",
                                           "Button2 Abbrechen @120,64,75,25",
                                           "tab: NumberEdit1 Button1 Button2"};
    QTest::newRow("again") << QStringList{"Nochmal spielen 195x97", "Label1 Label1 @16,16",
                                          "Button1 Nochmal spielen [default] @16,56,75,25",
                                          "Button2 Verbindung trennen @104,56,75,25",
                                          "tab: Button1 Button2"};
    QTest::newRow("about") << QStringList{"Über Dropstone 241x177",
                                          "Image1 <icon> @16,16,32,32",
                                          "Label1 Dropstone (Deutsche Version) @64,16",
                                          "Label2 Freie Software @64,32",
                                          "Label3 Coded by Team Dropstone @64,56",
                                          "Label4 https://dropstone.example/ @64,72",
                                          "Label5 Translated by Team Dropstone @64,96",
                                          "Label6 https://dropstone.example/de/ @64,112",
                                          "Button1 Okay [default] @83,144,75,25",
                                          "tab: Button1"};
}

void tst_Dialogs::layout()
{
    QFETCH(QStringList, expected);

    auto form = makeRowsDialog();
    form->fixLayout();
    QCOMPARE(describe(form.get()), expected);
    for (const QLabel *label : form->findChildren<QLabel *>())
        QVERIFY2(label->geometry().right() < form->width(), qPrintable(label->text()));
    QVERIFY(form->windowFlags() & Qt::Tool);
    QCOMPARE(form->minimumSize(), form->maximumSize());
}

void tst_Dialogs::results_data()
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
        QTest::newRow(d + ", enter on okay") << "enter on Button1" << 1;
    }
    QTest::newRow("about, okay") << "Button1" << 1;
    QTest::newRow("about, enter") << "enter on Button1" << 1;
    QTest::newRow("about, close box") << "close" << 2;
    QTest::newRow("about, escape then okay") << "escape" << 1;
}

void tst_Dialogs::results()
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

void tst_Dialogs::aboutLinks()
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
void tst_Dialogs::callersReadTheFields()
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

DROPSTONE_TEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"

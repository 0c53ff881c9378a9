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

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void results_data();
    void results();
    void connectDialogStartsEmpty();
    void aboutLinks();
    void callersReadTheFields();
};

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

// Every visible text and place, as "name text @x,y[,w,h]", in tab order for the inputs.
static QStringList describe(QWidget *dialog)
{
    QStringList lines;
    lines << dialog->windowTitle() +
                 QStringLiteral(" %1x%2").arg(dialog->width()).arg(dialog->height());
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
        const QString where = qobject_cast<QLabel *>(child) && text != "<icon>"
                                  ? QStringLiteral("@%1,%2").arg(r.x()).arg(r.y())
                                  : QStringLiteral("@%1,%2,%3,%4")
                                        .arg(r.x())
                                        .arg(r.y())
                                        .arg(r.width())
                                        .arg(r.height());
        lines << child->objectName() + " " + text + " " + where;
    }
    return lines;
}

void tst_Dialogs::layout_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("tabOrder");

    QTest::newRow("connect") << "connect"
                             << QStringList{"Verbinden... 225x123",
                                            "Label1 Addresse: @16,20",
                                            "Label2 Port: @16,45",
                                            "Edit1 '' @72,16,121,21",
                                            "NumberEdit1 '1024' @72,40,49,22",
                                            "Button1 Okay [default] @32,88,75,25",
                                            "Button2 Abbrechen @120,88,75,25"}
                             << QStringList{"Edit1", "NumberEdit1", "Button1", "Button2"};
    QTest::newRow("listen") << "listen"
                            << QStringList{"Hören 217x105", "Label2 Senden: @16,21",
                                           "NumberEdit1 '1024' @72,16,49,22",
                                           "Button1 Okay [default] @32,64,75,25",
                                           "Button2 Abbrechen @120,64,75,25"}
                            << QStringList{"NumberEdit1", "Button1", "Button2"};
    QTest::newRow("play again") << "again"
                                << QStringList{"Nochmal spielen 195x97", "Label1 Label1 @16,16",
                                               "Button1 Nochmal spielen [default] @16,56,75,25",
                                               "Button2 Verbindung trennen @104,56,75,25"}
                                << QStringList{"Button1", "Button2"};
    QTest::newRow("about") << "about"
                           << QStringList{"Über Dropstone 241x177",
                                          "Image1 <icon> @16,16,32,32",
                                          "Label1 Dropstone (Deutsche Version) @64,16",
                                          "Label2 Freie Software @64,32",
                                          "Label3 Coded by Team Dropstone @64,56",
                                          "Label4 https://dropstone.example/ @64,72",
                                          "Label5 Translated by Team Dropstone @64,96",
                                          "Label6 https://dropstone.example/de/ @64,112",
                                          "Button1 Okay @83,144,75,25"}
                           << QStringList{"Button1"};
}

void tst_Dialogs::layout()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, tabOrder);

    auto form = makeDialog(dialog);
    form->fixLayout();
    QCOMPARE(describe(form.get()), expected);
    for (const QLabel *label : form->findChildren<QLabel *>())
        QVERIFY2(label->geometry().right() < form->width(), qPrintable(label->text()));
    QVERIFY(form->windowFlags() & Qt::Tool);
    QCOMPARE(form->minimumSize(), form->maximumSize());

    QStringList order;
    QWidget *first = nullptr;
    for (QWidget *w = form->nextInFocusChain(); w != form.get() && w != first;
         w = w->nextInFocusChain()) {
        if (!first)
            first = w;
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
    }
    QCOMPARE(order, tabOrder);
}

void tst_Dialogs::results_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");

    for (const QString dialog : {"connect", "listen", "again"}) {
        const QByteArray d = dialog.toUtf8();
        QTest::newRow(d + ", enter") << dialog << "enter" << 1;
        QTest::newRow(d + ", escape") << dialog << "escape" << 2;
        QTest::newRow(d + ", okay") << dialog << "Button1" << 1;
        QTest::newRow(d + ", cancel") << dialog << "Button2" << 2;
        QTest::newRow(d + ", close box") << dialog << "close" << 2;
    }
    QTest::newRow("about, okay") << "about"
                                 << "Button1" << 1;
    QTest::newRow("about, close box") << "about"
                                      << "close" << 2;
    QTest::newRow("about, escape then okay") << "about"
                                             << "escape" << 1;
}

void tst_Dialogs::results()
{
    QFETCH(QString, dialog);
    QFETCH(QString, action);
    QFETCH(int, result);

    auto form = makeDialog(dialog);
    ModalAnswerer answerer([&](QWidget *modal) {
        // A failed check must not leave the test waiting for the dialog.
        auto closer = qScopeGuard([modal] { modal->close(); });
        QTRY_VERIFY_WITH_TIMEOUT(modal->focusWidget(), 5000);
        QWidget *focus = modal->focusWidget();
        closer.dismiss();
        if (action == "enter") {
            QTest::keyClick(focus, Qt::Key_Return);
        } else if (action == "escape") {
            QTest::keyClick(focus ? focus : modal, Qt::Key_Escape);
            // Without a cancel button Escape does nothing.
            if (modal->isVisible())
                modal->findChild<QPushButton *>("Button1")->click();
        } else if (action == "close") {
            modal->close();
        } else {
            QTest::mouseClick(modal->findChild<QPushButton *>(action), Qt::LeftButton);
        }
    });
    QCOMPARE(form->ShowModal(), result);
}

void tst_Dialogs::connectDialogStartsEmpty()
{
    for (int use = 0; use < 2; ++use) {
        auto form = std::make_unique<TForm2>();
        QCOMPARE(Form2, form.get());
        ModalAnswerer answerer([&](QWidget *) {
            QCOMPARE(form->Edit1()->text(), QString());
            QCOMPARE(form->NumberEdit1()->text(), QString("1024"));
            typeText(form->Edit1(), "gegner.example");
            form->NumberEdit1()->selectAll();
            typeText(form->NumberEdit1(), "4000");
            QTest::keyClick(form->NumberEdit1(), Qt::Key_Return);
        });
        QCOMPARE(form->ShowModal(), 1);
        QCOMPARE(form->Edit1()->text(), QString("gegner.example"));
        QCOMPARE(form->NumberEdit1()->text(), QString("4000"));
    }
    QCOMPARE(Form2, nullptr);
}

void tst_Dialogs::aboutLinks()
{
    QPixmap hand(32, 32);
    hand.fill(Qt::black);
    TApplication::instance()->setCursor(crHand, QCursor(hand, 0, 0));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    auto form = std::make_unique<TForm6>();
    bool stillOpen = false;
    QCursor cursor;
    ModalAnswerer answerer([&](QWidget *) {
        cursor = form->Label4()->cursor();
        QTest::mouseClick(form->Label4(), Qt::LeftButton);
        QTest::mouseClick(form->Label6(), Qt::LeftButton);
        stillOpen = form->isVisible();
        form->close();
    });
    form->ShowModal();
    QDesktopServices::unsetUrlHandler("https");
    QVERIFY(stillOpen);
    QCOMPARE(recorder.opened, QList<QUrl>({QUrl("https://dropstone.example/"),
                                           QUrl("https://dropstone.example/de/")}));
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(0, 0));
    QVERIFY(form->Label4()->font().underline());
    QCOMPARE(form->Label6()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

void tst_Dialogs::callersReadTheFields()
{
    std::unique_ptr<TForm1> form;
    {
        ModalAnswerer nameDialog([](QWidget *modal) { modal->close(); });
        form = std::make_unique<TForm1>();
    }
    ModalAnswerer answerer([&](QWidget *modal) {
        if (auto connect = qobject_cast<TForm2 *>(modal)) {
            typeText(connect->Edit1(), "gegner");
            QTest::keyClick(connect->Edit1(), Qt::Key_Return);
        } else if (auto listen = qobject_cast<TForm3 *>(modal)) {
            listen->NumberEdit1()->selectAll();
            typeText(listen->NumberEdit1(), "2000");
            QTest::keyClick(listen->NumberEdit1(), Qt::Key_Return);
        } else {
            modal->close();
        }
    });
    form->findChild<QAction *>("Connect1")->trigger();
    QCOMPARE(form->AddressText, QString("gegner"));
    QCOMPARE(form->PortText, QString("1024"));
    form->findChild<QAction *>("Listen1")->trigger();
    QCOMPARE(form->PortText, QString("2000"));
    QCOMPARE(Form2, nullptr);
    QCOMPARE(Form3, nullptr);
}

DROPSTONE_TEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"

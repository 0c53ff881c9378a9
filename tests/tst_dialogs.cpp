// The connect, listen, play-again, about, name and computer-level dialogs: how they end, the
// about links, whether their texts fit their controls, and the names a screen reader gives
// their fields.
// CTest runs the text-fit table once more at 200 % scale (QT_SCALE_FACTOR=2).
#include "TestSupport.h"

#include "app/Unit4.h"
#include "app/dialogs/Unit2.h"
#include "app/dialogs/Unit3.h"
#include "app/dialogs/Unit5.h"
#include "app/dialogs/Unit6.h"
#include "app/dialogs/Unit7.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyleOptionButton>
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
    if (name == "name")
        return std::make_unique<TForm4>();
    if (name == "computer")
        return std::make_unique<TForm7>();
    return std::make_unique<TForm6>();
}

// The text as drawn: "&&" shows one ampersand, a single one marks the next letter.
static QString shownText(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

// Where a button draws its text: inside its frame.
static QRect textRoom(QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    if (button->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

// Where a radio button draws its text: right of its indicator.
static QRect textRoom(QRadioButton *radio)
{
    QStyleOptionButton option;
    option.initFrom(radio);
    option.text = radio->text();
    return radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
}

// A label has the space from its left edge to the dialog's edge or to the first control to its
// right on the same line, whichever comes first.
static QRect textRoom(QLabel *label)
{
    const QRect bounds = label->geometry();
    int right = label->parentWidget()->width();
    for (auto sibling :
         label->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QRect other = sibling->geometry();
        if (sibling != label && other.left() >= bounds.left() && other.top() < bounds.bottom() &&
            other.bottom() > bounds.top())
            right = std::min(right, other.left());
    }
    return QRect(0, 0, right - bounds.left(), bounds.height()) - label->contentsMargins();
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
        QTest::newRow("computer, enter") << "enter" << 1;
        QTest::newRow("computer, escape") << "escape" << 2;
        QTest::newRow("computer, close box") << "close" << 2;
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

    void textFits_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("control");

        const QList<std::pair<const char *, QStringList>> controls = {
            {"connect", {"Label1", "Label2", "Button1", "Button2"}},
            {"listen", {"Label2", "Button1", "Button2"}},
            {"name", {"Label1", "Button1"}},
            {"again", {"Label1", "Button1", "Button2"}},
            {"about", {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Button1"}},
            {"computer", {"RadioButton1", "RadioButton2", "RadioButton3", "Button1", "Button2"}},
        };
        const int percent = qRound(qApp->devicePixelRatio() * 100);
        for (const auto &[dialog, names] : controls) {
            for (const QString &control : names)
                QTest::addRow("%s %s, %d %%", dialog, qPrintable(control), percent)
                    << dialog << control;
        }
    }

    // The whole text shows: its advance fits the room the control gives it.
    void textFits()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, control);

        auto form = makeDialog(dialog);
        if (dialog == "again")
            static_cast<TForm5 *>(form.get())->Label1()->setText("Du hast verloren");
        form->fixLayout();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto widget = form->findChild<QWidget *>(control);
        QVERIFY(widget);

        QString text;
        QRect room;
        if (auto button = qobject_cast<QPushButton *>(widget)) {
            text = button->text();
            room = textRoom(button);
        } else if (auto radio = qobject_cast<QRadioButton *>(widget)) {
            text = radio->text();
            room = textRoom(radio);
        } else {
            auto label = qobject_cast<QLabel *>(widget);
            QVERIFY(label);
            text = label->text();
            room = textRoom(label);
        }
        QVERIFY(!text.isEmpty());
        const qreal advance =
            QFontMetricsF(widget->font(), widget).horizontalAdvance(shownText(text));
        QVERIFY2(advance <= room.width(),
                 qPrintable(QStringLiteral("\"%1\" needs %2 pixels, has %3")
                                .arg(text)
                                .arg(advance)
                                .arg(room.width())));
    }

    void fieldNames_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("name");

        QTest::newRow("connect, address") << "connect"
                                          << "Edit1"
                                          << "Addresse:";
        QTest::newRow("connect, port") << "connect"
                                       << "NumberEdit1"
                                       << "Port:";
        QTest::newRow("listen, port") << "listen"
                                      << "NumberEdit1"
                                      << "Senden:";
        QTest::newRow("name") << "name"
                              << "Edit1"
                              << "Bitte gib deinen Namen ein:";
    }

    // Each field is named after its label, as a screen reader reads it.
    void fieldNames()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, field);

        auto form = makeDialog(dialog);
        QAccessibleInterface *accessible =
            QAccessible::queryAccessibleInterface(form->findChild<QWidget *>(field));
        QVERIFY(accessible);
        QTEST(accessible->text(QAccessible::Name), "name");
        QCOMPARE(accessible->role(), QAccessible::EditableText);
    }

public slots:
    // Stands in for the shell that opens addresses.
    void openUrl(const QUrl &url) { m_opened << url; }

private:
    QList<QUrl> m_opened;
};

DROPSTONE_TEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"

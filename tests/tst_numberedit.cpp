// The whole-number field: reading and writing its value, stepping, the typed-character filter,
// paste and cut, focus entry and exit, its least height.
#include "TestSupport.h"

#include "controls/NumberEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>

#include <climits>

namespace {

// A window with a plain field before the number field, so that Tab can move between them.
class Form : public QWidget
{
public:
    Form()
    {
        before->setGeometry(8, 8, 80, 22);
        edit->setGeometry(8, 40, 49, 22);
    }
    bool showActive()
    {
        show();
        activateWindow();
        return QTest::qWaitForWindowActive(this, 5000);
    }

    QLineEdit *before = new QLineEdit(this);
    TNumberEdit *edit = new TNumberEdit(this);
};

} // namespace

class tst_NumberEdit : public QObject
{
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void step_data();
    void step();
    void typedKeys_data();
    void typedKeys();
    void pasteAndCut_data();
    void pasteAndCut();
    void focus();
    void minimumHeight();
};

void tst_NumberEdit::readValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // MinValue is -7, MaxValue 3

    const int failed = -7;
    QTest::newRow("leading blank") << " 42" << 42;
    QTest::newRow("trailing blank") << "42 " << failed;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("sign alone") << "-" << failed;
    QTest::newRow("sign after a digit") << "1-2" << failed;
    QTest::newRow("empty") << "" << failed;
    QTest::newRow("one above largest") << "2147483648" << failed;
    QTest::newRow("not bounded") << "500" << 500;
    QTest::newRow("hex") << "$10" << 16;
    QTest::newRow("hex all ones") << "$FFFFFFFF" << -1;
    QTest::newRow("hex beyond 32 bits") << "$100000000" << failed;
}

void tst_NumberEdit::readValue()
{
    QFETCH(QString, text);

    TNumberEdit edit;
    edit.setMinValue(-7);
    edit.setMaxValue(3);
    edit.setText(text);
    QTEST(edit.Value(), "expected");
}

void tst_NumberEdit::step_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("increment");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");

    const int up = Qt::Key_Up;
    const int down = Qt::Key_Down;
    QTest::newRow("up at the upper bound") << 1 << 100 << 1 << "100" << up << "100";
    QTest::newRow("up on pasted abc") << 1 << 100 << 1 << "abc" << up << "2";
    QTest::newRow("min above max, between") << 10 << 5 << 1 << "6" << up << "10";
    QTest::newRow("min above max, above both") << 10 << 5 << 1 << "99" << up << "5";
    QTest::newRow("up at the 32-bit top") << 0 << 0 << 1 << "2147483647" << up << "2147483647";
    QTest::newRow("down by the lowest increment")
        << 0 << 0 << INT_MIN << "0" << down << "2147483647";
}

void tst_NumberEdit::step()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, increment);
    QFETCH(QString, text);
    QFETCH(int, key);

    TNumberEdit edit;
    edit.setMinValue(minValue);
    edit.setMaxValue(maxValue);
    edit.setIncrement(increment);
    edit.setText(text);
    QTest::keyClick(&edit, Qt::Key(key));
    QTEST(edit.text(), "expected");
}

void tst_NumberEdit::typedKeys_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("expected"); // typed into "78" between the digits

    QTest::newRow("digit") << "" << int(Qt::Key_9) << "9" << 0 << "798";
    QTest::newRow("comma") << "" << int(Qt::Key_Comma) << "," << 1 << "78";
    QTest::newRow("colon") << "" << int(Qt::Key_Colon) << ":" << 1 << "78";
    QTest::newRow("Arabic-Indic zero") << "" << int(Qt::Key_unknown) << "\u0660" << 1 << "78";
    QTest::newRow("enter") << "" << int(Qt::Key_Return) << "\r" << 1 << "78";
    QTest::newRow("control character") << "" << int(Qt::Key_unknown) << "\x1f" << 0 << "78";
    QTest::newRow("backspace") << "" << int(Qt::Key_Backspace) << "\b" << 0 << "8";
    // X11 sends DEL along with the Delete key; it is an editing key, not a character.
    QTest::newRow("delete") << "" << int(Qt::Key_Delete) << "\x7f" << 0 << "7";
    QTest::newRow("editor disabled: digit") << "disabled" << int(Qt::Key_9) << "9" << 1 << "78";
    QTest::newRow("read-only: up beeps") << "read-only" << int(Qt::Key_Up) << "" << 1 << "78";
}

void tst_NumberEdit::typedKeys()
{
    QFETCH(QString, state);
    QFETCH(int, key);
    QFETCH(QString, text);

    TNumberEdit edit;
    edit.setEditorEnabled(state != "disabled");
    edit.setReadOnly(state == "read-only");
    edit.setText("78");
    edit.setCursorPosition(1);
    QSignalSpy beeped(&edit, &TNumberEdit::beeped);
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key(key), text, Qt::NoModifier);
    QTEST(edit.text(), "expected");
    QTEST(int(beeped.count()), "beeps");
}

void tst_NumberEdit::pasteAndCut_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("state");

    for (const char *way : {"Ctrl+V", "menu paste", "middle button", "Ctrl+X"}) {
        for (const char *state : {"allowed", "editor disabled", "read-only"})
            QTest::addRow("%s, %s", way, state) << QString(way) << QString(state);
    }
}

void tst_NumberEdit::pasteAndCut()
{
    QFETCH(QString, way);
    QFETCH(QString, state);

    Form form;
    TNumberEdit *edit = form.edit;
    QVERIFY(form.showActive());
    edit->setText("7");
    edit->setEditorEnabled(state != "editor disabled");
    edit->setReadOnly(state == "read-only");
    const bool allowed = state == "allowed";
    const bool cut = way == "Ctrl+X";
    if (cut)
        edit->selectAll();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("abc");
    clipboard->setText("abc", QClipboard::Selection);
    QSignalSpy beeped(edit, &TNumberEdit::beeped);

    if (way == "Ctrl+V" || cut) {
        QTest::keyClick(edit, cut ? Qt::Key_X : Qt::Key_V, Qt::ControlModifier);
    } else if (way == "middle button") {
        QTest::mouseClick(edit, Qt::MiddleButton);
    } else {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                                edit->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(edit, &event);
        QMenu *menu = edit->findChild<QMenu *>();
        QVERIFY(menu);
        for (QAction *action : menu->actions()) {
            // The menu speaks the interface's language.
            if (action->text().startsWith(QLineEdit::tr("&Paste"))) {
                QCOMPARE(action->isEnabled(), allowed);
                action->trigger();
            }
        }
        menu->close();
    }

    // Pasted text is not filtered.
    QCOMPARE(edit->text(), QString(!allowed ? "7" : cut ? "" : "7abc"));
    QCOMPARE(clipboard->text(), QString(allowed && cut ? "7" : "abc"));
    QCOMPARE(beeped.count(), 0);
}

void tst_NumberEdit::focus()
{
    Form form;
    TNumberEdit *edit = form.edit;
    edit->setMaxValue(100);
    QStringList seen; // the selection on entry, the text on exit
    connect(edit, &TNumberEdit::OnEnter, edit, [&] { seen << "enter " + edit->selectedText(); });
    connect(edit, &TNumberEdit::OnExit, edit, [&] { seen << "exit " + edit->text(); });
    QVERIFY(form.showActive());
    QTest::keyClick(form.before, Qt::Key_Tab);
    // Tab selected all, so typing replaces it.
    QTest::keyClicks(edit, "500");
    // Another window taking the keyboard for a while neither leaves nor enters the field.
    QVERIFY(Form().showActive());
    QVERIFY(form.showActive());
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
    // Leaving rewrites the out-of-bounds value once OnExit has seen it; a left click enters
    // without selecting.
    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.before, 5000);
    QCOMPARE(edit->text(), QString("100"));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(20, edit->height() / 2));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
    QCOMPARE(seen, QStringList({"enter 0", "exit 500", "enter "}));
}

void tst_NumberEdit::minimumHeight()
{
    // The program's font fits the height stored in the connect and listen dialogs.
    Form form;
    TNumberEdit *edit = form.edit;
    QVERIFY(edit->MinimumHeight() <= 22);
    edit->resize(49, 10); // sized before it shows, as a stored layout does
    QVERIFY(form.showActive());
    QCOMPARE(edit->height(), edit->MinimumHeight());

    QFont font = edit->font();
    font.setPixelSize(24);
    edit->setFont(font);
    edit->resize(49, 22);
    QVERIFY(edit->MinimumHeight() > 22);
    QCOMPARE(edit->height(), edit->MinimumHeight());
}

DROPSTONE_TEST_MAIN(tst_NumberEdit)
#include "tst_numberedit.moc"

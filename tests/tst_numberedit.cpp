// The whole-number field: reading and writing its value, stepping, the typed-character filter,
// paste and cut, focus entry and exit, its least height.
#include "TestSupport.h"

#include "controls/NumberEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>
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
        resize(120, 80);
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

// A typed key with its character; key 0 sends the text as an input method's commit.
void press(TNumberEdit *edit, int key, const QString &text)
{
    if (key == 0) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(edit, &event);
    } else {
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(key), text, Qt::NoModifier);
    }
}

// Opens the field's context menu and triggers the action whose text starts with caption;
// returns whether the menu offered it enabled.
bool triggerMenuAction(TNumberEdit *edit, const QString &caption)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                            edit->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(edit, &event);
    auto menu = edit->findChild<QMenu *>();
    if (!menu)
        return false;
    const QList<QAction *> actions = menu->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction *action) {
        // The menu speaks the interface's language.
        return action->text().startsWith(QLineEdit::tr(caption.toLatin1()));
    });
    const bool offered = found != actions.end() && (*found)->isEnabled();
    if (offered)
        (*found)->trigger();
    menu->close();
    return offered;
}

void dropText(TNumberEdit *edit, const QString &text)
{
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &drop);
}

} // namespace

class tst_NumberEdit : public QObject
{
    Q_OBJECT

private slots:
    void newControl();
    void readValue_data();
    void readValue();
    void writeValue_data();
    void writeValue();
    void step_data();
    void step();
    void acceptsChar_data();
    void acceptsChar();
    void typedKeys_data();
    void typedKeys();
    void enterInDialog_data();
    void enterInDialog();
    void pasteAndCut_data();
    void pasteAndCut();
    void focusExit_data();
    void focusExit();
    void focusKeptAside_data();
    void focusKeptAside();
    void focusEntry_data();
    void focusEntry();
    void minimumHeight_data();
    void minimumHeight();
};

void tst_NumberEdit::newControl()
{
    TNumberEdit edit;
    QCOMPARE(edit.text(), QString("0"));
    QCOMPARE(edit.Value(), 0);
    QCOMPARE(edit.Increment(), 1);
    QVERIFY(edit.EditorEnabled());
    QCOMPARE(edit.ClampValue(INT_MIN), INT_MIN);
    QCOMPARE(edit.ClampValue(INT_MAX), INT_MAX);
}

void tst_NumberEdit::readValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // MinValue is -7, MaxValue 3

    const int failed = -7;
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("leading blanks") << "   42" << 42;
    QTest::newRow("trailing blank") << "42 " << failed;
    QTest::newRow("leading tab") << "\t42" << failed;
    QTest::newRow("plus") << "+5" << 5;
    QTest::newRow("minus") << "-5" << -5;
    QTest::newRow("sign alone") << "-" << failed;
    QTest::newRow("two signs") << "+-5" << failed;
    QTest::newRow("sign after a digit") << "1-2" << failed;
    QTest::newRow("empty") << "" << failed;
    QTest::newRow("blanks only") << "   " << failed;
    QTest::newRow("largest") << "2147483647" << INT_MAX;
    QTest::newRow("one above largest") << "2147483648" << failed;
    QTest::newRow("far above largest") << "99999999999999999999999" << failed;
    QTest::newRow("lowest but one") << "-2147483647" << -INT_MAX;
    QTest::newRow("lowest in decimal") << "-2147483648" << failed;
    QTest::newRow("not bounded") << "500" << 500;
    QTest::newRow("hex") << "$10" << 16;
    QTest::newRow("hex after blanks") << "  $A" << 10;
    QTest::newRow("hex all ones") << "$FFFFFFFF" << -1;
    QTest::newRow("hex sign bit") << "$80000000" << INT_MIN;
    QTest::newRow("hex beyond 32 bits") << "$100000000" << failed;
    QTest::newRow("hex leading zeros") << "$000000000010" << 16;
    QTest::newRow("dollar alone") << "$" << failed;
    QTest::newRow("sign before dollar") << "-$10" << failed;
    QTest::newRow("blank after dollar") << "$ 10" << failed;
    QTest::newRow("C hex prefix") << "0x10" << failed;
    QTest::newRow("decimal point") << "4.2" << failed;
    QTest::newRow("Arabic-Indic digits") << QString::fromUtf16(u"\u0664\u0662") << failed;
}

void tst_NumberEdit::readValue()
{
    QFETCH(QString, text);
    QFETCH(int, expected);

    TNumberEdit edit;
    edit.setMinValue(-7);
    edit.setMaxValue(3);
    edit.setText(text);
    QCOMPARE(edit.Value(), expected);
    QCOMPARE(edit.text(), text);
}

void tst_NumberEdit::writeValue_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("no bounds") << 0 << 0 << 1024 << "1024";
    QTest::newRow("no bounds, negative") << 0 << 0 << -5 << "-5";
    QTest::newRow("no bounds, lowest") << 0 << 0 << INT_MIN << "-2147483648";
    QTest::newRow("equal bounds are none") << 5 << 5 << 1 << "1";
    QTest::newRow("above 1..100") << 1 << 100 << 500 << "100";
    QTest::newRow("below 1..100") << 1 << 100 << -3 << "1";
    QTest::newRow("inside 1..100") << 1 << 100 << 50 << "50";
    QTest::newRow("on the bound") << 1 << 100 << 100 << "100";
    QTest::newRow("min above max, below both") << 10 << 5 << 3 << "10";
    QTest::newRow("min above max, between") << 10 << 5 << 7 << "10";
    QTest::newRow("min above max, the lower bound") << 10 << 5 << 10 << "5";
    QTest::newRow("min above max, above both") << 10 << 5 << 100 << "5";
}

void tst_NumberEdit::writeValue()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, value);
    QFETCH(QString, shown);

    TNumberEdit edit;
    edit.setText("abc");
    // New bounds leave the text alone until the next write.
    edit.setMaxValue(maxValue);
    edit.setMinValue(minValue);
    QCOMPARE(edit.text(), QString("abc"));
    QSignalSpy changed(&edit, &QLineEdit::textChanged);
    edit.setValue(value);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(changed.count(), 1);
}

void tst_NumberEdit::step_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("increment");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");

    const int up = Qt::Key_Up;
    const int down = Qt::Key_Down;
    QTest::newRow("up") << 0 << 0 << 1 << false << "1024" << up << "1025";
    QTest::newRow("down") << 0 << 0 << 1 << false << "1024" << down << "1023";
    QTest::newRow("up at the upper bound") << 1 << 100 << 1 << false << "100" << up << "100";
    QTest::newRow("down at the lower bound") << 1 << 100 << 1 << false << "1" << down << "1";
    QTest::newRow("up beyond the bound") << 1 << 100 << 10 << false << "95" << up << "100";
    QTest::newRow("up from out of bounds") << 1 << 100 << 1 << false << "500" << up << "100";
    QTest::newRow("up on pasted abc") << 1 << 100 << 1 << false << "abc" << up << "2";
    QTest::newRow("down on pasted abc") << 1 << 100 << 1 << false << "abc" << down << "1";
    QTest::newRow("up on abc, no bounds") << 0 << 0 << 1 << false << "abc" << up << "1";
    QTest::newRow("negative increment") << 0 << 0 << -5 << false << "3" << up << "-2";
    QTest::newRow("up at the 32-bit top")
        << 0 << 0 << 1 << false << "2147483647" << up << "2147483647";
    QTest::newRow("largest increment") << 0 << 0 << INT_MAX << false << "1" << up << "2147483647";
    QTest::newRow("down at the 32-bit bottom")
        << 0 << 0 << 1 << false << "$80000000" << down << "-2147483648";
    QTest::newRow("down by the lowest increment")
        << 0 << 0 << INT_MIN << false << "0" << down << "2147483647";
    QTest::newRow("up by the lowest increment")
        << 0 << 0 << INT_MIN << false << "-1" << up << "-2147483648";
    QTest::newRow("read-only up") << 0 << 0 << 1 << true << "5" << up << "5";
    QTest::newRow("read-only down") << 0 << 0 << 1 << true << "5" << down << "5";
}

void tst_NumberEdit::step()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(int, increment);
    QFETCH(bool, readOnly);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QString, expected);

    TNumberEdit edit;
    edit.setMinValue(minValue);
    edit.setMaxValue(maxValue);
    edit.setIncrement(increment);
    edit.setReadOnly(readOnly);
    edit.setText(text);
    QSignalSpy beeped(&edit, &TNumberEdit::beeped);
    QTest::keyClick(&edit, Qt::Key(key));
    QCOMPARE(edit.text(), expected);
    QCOMPARE(beeped.count(), readOnly ? 1 : 0);
}

void tst_NumberEdit::acceptsChar_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("enabled");  // accepted while EditorEnabled
    QTest::addColumn<bool>("disabled"); // accepted while not

    QTest::newRow("backspace") << 8 << true << false;
    QTest::newRow("tab") << 9 << true << true;
    QTest::newRow("carriage return") << 13 << false << false;
    QTest::newRow("Ctrl+V") << 22 << true << true;
    QTest::newRow("escape") << 27 << true << true;
    QTest::newRow("unit separator") << 31 << true << true;
    QTest::newRow("blank") << 32 << false << false;
    QTest::newRow("plus") << int('+') << true << false;
    QTest::newRow("comma") << int(',') << false << false;
    QTest::newRow("minus") << int('-') << true << false;
    QTest::newRow("point") << int('.') << false << false;
    QTest::newRow("slash") << int('/') << false << false;
    QTest::newRow("0") << int('0') << true << false;
    QTest::newRow("9") << int('9') << true << false;
    QTest::newRow("colon") << int(':') << false << false;
    QTest::newRow("e") << int('e') << false << false;
    QTest::newRow("DEL") << 127 << false << false;
    QTest::newRow("y diaeresis") << 255 << false << false;
    QTest::newRow("Arabic-Indic zero") << 0x660 << false << false;
    QTest::newRow("euro") << 0x20AC << false << false;
}

void tst_NumberEdit::acceptsChar()
{
    QFETCH(int, code);
    QFETCH(bool, enabled);
    QFETCH(bool, disabled);

    TNumberEdit edit;
    QCOMPARE(edit.AcceptsChar(QChar(code)), enabled);
    edit.setEditorEnabled(false);
    QCOMPARE(edit.AcceptsChar(QChar(code)), disabled);
}

void tst_NumberEdit::typedKeys_data()
{
    QTest::addColumn<bool>("editorEnabled");
    QTest::addColumn<int>("key"); // 0: the text comes as an input method's commit
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("expected"); // typed into "78" between the digits

    QTest::newRow("digit") << true << int(Qt::Key_1) << "1" << 0 << "718";
    QTest::newRow("plus") << true << int(Qt::Key_Plus) << "+" << 0 << "7+8";
    QTest::newRow("letter") << true << int(Qt::Key_A) << "a" << 1 << "78";
    QTest::newRow("blank") << true << int(Qt::Key_Space) << " " << 1 << "78";
    QTest::newRow("euro") << true << int(Qt::Key_unknown) << "€" << 1 << "78";
    QTest::newRow("backspace") << true << int(Qt::Key_Backspace) << "\b" << 0 << "8";
    // X11 sends DEL along with the Delete key; it is an editing key, not a character.
    QTest::newRow("delete") << true << int(Qt::Key_Delete) << "\x7f" << 0 << "7";
    QTest::newRow("enter") << true << int(Qt::Key_Return) << "\r" << 1 << "78";
    QTest::newRow("escape") << true << int(Qt::Key_Escape) << "\x1b" << 0 << "78";
    QTest::newRow("composed digit") << true << 0 << "5" << 0 << "758";
    QTest::newRow("composed letter") << true << 0 << "é" << 1 << "78";
    QTest::newRow("disabled: digit") << false << int(Qt::Key_1) << "1" << 1 << "78";
    QTest::newRow("disabled: backspace") << false << int(Qt::Key_Backspace) << "\b" << 1 << "78";
    QTest::newRow("disabled: composed digit") << false << 0 << "5" << 1 << "78";
    QTest::newRow("disabled: up steps") << false << int(Qt::Key_Up) << "" << 0 << "79";
    QTest::newRow("disabled: down steps") << false << int(Qt::Key_Down) << "" << 0 << "77";
}

void tst_NumberEdit::typedKeys()
{
    QFETCH(bool, editorEnabled);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    QFETCH(QString, expected);

    TNumberEdit edit;
    edit.setEditorEnabled(editorEnabled);
    edit.setText("78");
    edit.setCursorPosition(1);
    QSignalSpy beeped(&edit, &TNumberEdit::beeped);
    press(&edit, key, text);
    QCOMPARE(edit.text(), expected);
    QCOMPARE(beeped.count(), beeps);
}

void tst_NumberEdit::enterInDialog_data()
{
    QTest::addColumn<bool>("defaultButton");

    QTest::newRow("default button takes it") << true;
    QTest::newRow("no default button: beep") << false;
}

void tst_NumberEdit::enterInDialog()
{
    QFETCH(bool, defaultButton);

    QDialog dialog;
    auto edit = new TNumberEdit(&dialog);
    auto button = new QPushButton(&dialog);
    button->setGeometry(0, 30, 60, 25);
    button->setAutoDefault(false);
    button->setDefault(defaultButton);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog, 5000));
    QSignalSpy clicked(button, &QPushButton::clicked);
    QSignalSpy beeped(edit, &TNumberEdit::beeped);
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_Return, QString("\r"), Qt::NoModifier);
    QCOMPARE(clicked.count(), defaultButton ? 1 : 0);
    QCOMPARE(beeped.count(), defaultButton ? 0 : 1);
    QCOMPARE(edit->text(), QString("0"));
}

void tst_NumberEdit::pasteAndCut_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("state");

    const QList<std::pair<const char *, bool>> ways = {
        {"Ctrl+V", false},        {"Shift+Insert", false}, {"menu paste", false},
        {"middle button", false}, {"drop", false},         {"Ctrl+X", true},
        {"Shift+Delete", true},   {"menu cut", true}};
    for (const auto &[way, cut] : ways) {
        for (const char *state : {"allowed", "editor disabled", "read-only"})
            QTest::addRow("%s, %s", way, state) << QString(way) << cut << QString(state);
    }
}

void tst_NumberEdit::pasteAndCut()
{
    QFETCH(QString, way);
    QFETCH(bool, cut);
    QFETCH(QString, state);

    Form form;
    TNumberEdit *edit = form.edit;
    QVERIFY(form.showActive());
    edit->setText("7");
    edit->setEditorEnabled(state != "editor disabled");
    edit->setReadOnly(state == "read-only");
    if (cut)
        edit->selectAll();
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("abc");
    clipboard->setText("abc", QClipboard::Selection);
    QSignalSpy beeped(edit, &TNumberEdit::beeped);

    if (way == "Ctrl+V")
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    else if (way == "Shift+Insert")
        QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
    else if (way == "Ctrl+X")
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    else if (way == "Shift+Delete")
        QTest::keyClick(edit, Qt::Key_Delete, Qt::ShiftModifier);
    else if (way == "menu paste")
        QCOMPARE(triggerMenuAction(edit, "&Paste"), state == "allowed");
    else if (way == "menu cut")
        QCOMPARE(triggerMenuAction(edit, "Cu&t"), state == "allowed");
    else if (way == "middle button")
        QTest::mouseClick(edit, Qt::MiddleButton);
    else if (way == "drop")
        dropText(edit, "abc");

    if (state != "allowed") {
        QCOMPARE(edit->text(), QString("7"));
        QCOMPARE(clipboard->text(), QString("abc"));
    } else if (cut) {
        QCOMPARE(edit->text(), QString());
        QCOMPARE(clipboard->text(), QString("7"));
    } else {
        // Pasted text is not filtered.
        QVERIFY2(edit->text().contains("abc"), qPrintable(edit->text()));
    }
    QCOMPARE(beeped.count(), 0);
}

void tst_NumberEdit::focusExit_data()
{
    QTest::addColumn<int>("minValue");
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("value");    // read before leaving
    QTest::addColumn<QString>("left"); // the text once the field has been left

    QTest::newRow("above 1..100") << 1 << 100 << "500" << 500 << "100";
    QTest::newRow("below 1..100") << 1 << 100 << "0" << 0 << "1";
    QTest::newRow("inside 1..100") << 1 << 100 << "50" << 50 << "50";
    QTest::newRow("no number reads the lower bound") << 1 << 100 << "-" << 1 << "-";
    QTest::newRow("no bounds") << 0 << 0 << "500" << 500 << "500";
    QTest::newRow("no bounds, too large") << 0 << 0 << "99999999999" << 0 << "99999999999";
    QTest::newRow("min above max") << 10 << 5 << "7" << 7 << "10";
    QTest::newRow("min above max, no number") << 10 << 5 << "-" << 10 << "5";
}

void tst_NumberEdit::focusExit()
{
    QFETCH(int, minValue);
    QFETCH(int, maxValue);
    QFETCH(QString, typed);
    QFETCH(int, value);
    QFETCH(QString, left);

    Form form;
    TNumberEdit *edit = form.edit;
    edit->setMinValue(minValue);
    edit->setMaxValue(maxValue);
    QVERIFY(form.showActive());
    edit->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
    QStringList seen;
    connect(edit, &TNumberEdit::OnExit, edit, [&] { seen << edit->text(); });

    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), typed);
    QCOMPARE(edit->Value(), value);
    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.before, 5000);
    QCOMPARE(seen, QStringList{typed});
    QCOMPARE(edit->text(), left);
}

void tst_NumberEdit::focusKeptAside_data()
{
    QTest::addColumn<bool>("otherWindow"); // else the context menu

    QTest::newRow("context menu") << false;
    QTest::newRow("another window") << true;
}

// A pop-up menu or another window taking the keyboard for a while does not leave the field,
// and coming back does not enter it again.
void tst_NumberEdit::focusKeptAside()
{
    QFETCH(bool, otherWindow);

    Form form;
    TNumberEdit *edit = form.edit;
    edit->setMaxValue(100);
    QVERIFY(form.showActive());
    edit->setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
    QTest::keyClicks(edit, "500");
    edit->setCursorPosition(1);
    QSignalSpy exited(edit, &TNumberEdit::OnExit);
    QSignalSpy entered(edit, &TNumberEdit::OnEnter);

    if (otherWindow) {
        Form other;
        QVERIFY(other.showActive());
        QCOMPARE(edit->text(), QString("500"));
        other.close();
        QVERIFY(form.showActive());
    } else {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(4, 4),
                                edit->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(edit, &event);
        auto menu = edit->findChild<QMenu *>();
        QVERIFY(menu);
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
        QCOMPARE(edit->text(), QString("500"));
        menu->close();
    }
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
    QCOMPARE(edit->text(), QString("500"));
    QCOMPARE(edit->selectedText(), QString());
    QCOMPARE(exited.count(), 0);
    QCOMPARE(entered.count(), 0);
}

void tst_NumberEdit::focusEntry_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("autoSelect");
    QTest::addColumn<QString>("selected");

    QTest::newRow("tab") << "tab" << true << "1024";
    QTest::newRow("back tab") << "back tab" << true << "1024";
    QTest::newRow("program") << "program" << true << "1024";
    QTest::newRow("window opens with the focus here") << "opening" << true << "1024";
    QTest::newRow("left click") << "click" << true << "";
    QTest::newRow("tab, AutoSelect off") << "tab" << false << "";
    QTest::newRow("program, AutoSelect off") << "program" << false << "";
}

void tst_NumberEdit::focusEntry()
{
    QFETCH(QString, way);
    QFETCH(bool, autoSelect);
    QFETCH(QString, selected);

    Form form;
    TNumberEdit *edit = form.edit;
    edit->setValue(1024);
    edit->setAutoSelect(autoSelect);
    QSignalSpy entered(edit, &TNumberEdit::OnEnter);
    QStringList selectedOnEnter;
    connect(edit, &TNumberEdit::OnEnter, edit, [&] { selectedOnEnter << edit->selectedText(); });
    if (way == "opening")
        edit->setFocus();
    QVERIFY(form.showActive());
    if (way != "opening") {
        form.before->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.before, 5000);
        QCOMPARE(entered.count(), 0);
    }

    if (way == "tab")
        QTest::keyClick(form.before, Qt::Key_Tab);
    else if (way == "back tab")
        QTest::keyClick(form.before, Qt::Key_Backtab, Qt::ShiftModifier);
    else if (way == "program")
        edit->setFocus();
    else if (way == "click")
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(20, edit->height() / 2));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
    QCOMPARE(edit->selectedText(), selected);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(selectedOnEnter, QStringList{selected});
}

void tst_NumberEdit::minimumHeight_data()
{
    QTest::addColumn<int>("pixelSize"); // 0: the program's font
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("raised");

    QTest::newRow("10 high") << 0 << 10 << true;
    QTest::newRow("one below the least") << 0 << 21 << true;
    QTest::newRow("the dialogs' height") << 0 << 22 << false;
    QTest::newRow("taller") << 0 << 40 << false;
    QTest::newRow("large font, the dialogs' height") << 24 << 22 << true;
}

void tst_NumberEdit::minimumHeight()
{
    QFETCH(int, pixelSize);
    QFETCH(int, height);
    QFETCH(bool, raised);

    Form form;
    TNumberEdit *edit = form.edit;
    if (pixelSize > 0) {
        QFont font = edit->font();
        font.setPixelSize(pixelSize);
        edit->setFont(font);
    } else {
        // The program's font gives the height stored in the connect and listen dialogs.
        QCOMPARE(edit->MinimumHeight(), 22);
    }
    QVERIFY(form.showActive());
    const QRect editRect = edit->EditRect();
    const int before = edit->height();
    edit->resize(49, height);
    QCOMPARE(edit->height(), raised ? edit->MinimumHeight() : height);
    QCOMPARE(edit->width(), 49);
    // The formatting rectangle follows the size.
    QCOMPARE(edit->EditRect().height() - editRect.height(), edit->height() - before);

    // Sized before it shows, as a stored layout does.
    Form hidden;
    hidden.edit->setFont(edit->font());
    hidden.edit->resize(49, height);
    QVERIFY(hidden.showActive());
    QCOMPARE(hidden.edit->height(), edit->height());
}

DROPSTONE_TEST_MAIN(tst_NumberEdit)
#include "tst_numberedit.moc"

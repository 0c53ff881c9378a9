// The whole-number field: reading and stepping its value, the typed-character filter, paste
// and cut, focus entry and exit, its least height.
#include "TestSupport.h"

#include "controls/NumberEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>

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
    void step_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");

        // Unbounded, as in the dialogs: text that does not read as a 32-bit number counts as
        // 0, and the steps stop at the ends of the range.
        const int up = Qt::Key_Up;
        QTest::newRow("leading blank") << " 42" << up << "43";
        QTest::newRow("trailing blank") << "42 " << up << "1";
        QTest::newRow("plus") << "+5" << up << "6";
        QTest::newRow("sign alone") << "-" << up << "1";
        QTest::newRow("sign after a digit") << "1-2" << up << "1";
        QTest::newRow("empty") << "" << up << "1";
        QTest::newRow("one above largest") << "2147483648" << up << "1";
        QTest::newRow("hex") << "$10" << up << "17";
        QTest::newRow("hex all ones") << "$FFFFFFFF" << up << "0";
        QTest::newRow("hex beyond 32 bits") << "$100000005" << up << "1";
        QTest::newRow("up at the top") << "2147483647" << up << "2147483647";
        QTest::newRow("down") << "5" << int(Qt::Key_Down) << "4";
        QTest::newRow("down from -2147483648") << "-2147483648" << int(Qt::Key_Down) << "-1";
    }

    void step()
    {
        QFETCH(QString, text);
        QFETCH(int, key);

        TNumberEdit edit;
        edit.setText(text);
        QTest::keyClick(&edit, Qt::Key(key));
        QTEST(edit.text(), "expected");
    }

    void typedKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("expected"); // typed into "78" between the digits

        QTest::newRow("digit") << int(Qt::Key_9) << "9" << 0 << "798";
        QTest::newRow("comma") << int(Qt::Key_Comma) << "," << 1 << "78";
        QTest::newRow("colon") << int(Qt::Key_Colon) << ":" << 1 << "78";
        QTest::newRow("Arabic-Indic zero") << int(Qt::Key_unknown) << "\u0660" << 1 << "78";
        QTest::newRow("control character") << int(Qt::Key_unknown) << "\x1f" << 0 << "78";
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << "\b" << 0 << "8";
        // X11 sends DEL along with the Delete key; it is an editing key, not a character.
        QTest::newRow("delete") << int(Qt::Key_Delete) << "\x7f" << 0 << "7";
    }

    void typedKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);

        TNumberEdit edit;
        edit.setText("78");
        edit.setCursorPosition(1);
        QSignalSpy beeped(&edit, &TNumberEdit::beeped);
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key(key), text, Qt::NoModifier);
        QTEST(edit.text(), "expected");
        QTEST(int(beeped.count()), "beeps");
    }

    void pasteAndCut_data()
    {
        QTest::addColumn<QString>("way");

        for (const char *way : {"Ctrl+V", "menu paste", "middle button", "Ctrl+X"})
            QTest::newRow(way) << QString(way);
    }

    void pasteAndCut()
    {
        QFETCH(QString, way);

        Form form;
        TNumberEdit *edit = form.edit;
        QVERIFY(form.showActive());
        edit->setText("7");
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
            // The menu speaks the interface's language.
            for (QAction *action : menu->actions()) {
                if (action->text().startsWith(QLineEdit::tr("&Paste")))
                    action->trigger();
            }
            menu->close();
        }

        // Pasted text is not filtered.
        QCOMPARE(edit->text(), QString(cut ? "" : "7abc"));
        QCOMPARE(clipboard->text(), QString(cut ? "7" : "abc"));
        QCOMPARE(beeped.count(), 0);
    }

    void focus()
    {
        Form form;
        TNumberEdit *edit = form.edit;
        QStringList seen; // the selection on entry, the text on exit
        connect(edit, &TNumberEdit::OnEnter, edit,
                [&] { seen << "enter " + edit->selectedText(); });
        connect(edit, &TNumberEdit::OnExit, edit, [&] { seen << "exit " + edit->text(); });
        QVERIFY(form.showActive());
        QTest::keyClick(form.before, Qt::Key_Tab);
        // Tab selected all, so typing replaces it.
        QTest::keyClicks(edit, "500");
        // Another window taking the keyboard for a while neither leaves nor enters the field.
        QVERIFY(Form().showActive());
        QVERIFY(form.showActive());
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
        // A left click enters without selecting.
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), form.before, 5000);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(20, edit->height() / 2));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
        QCOMPARE(seen, QStringList({"enter 0", "exit 500", "enter "}));
    }

    void minimumHeight()
    {
        // The program's font fits the height stored in the connect and listen dialogs, and a
        // lower height, set before the field shows as a stored layout does, is raised on show.
        Form form;
        QVERIFY(form.edit->MinimumHeight() <= 22);
        form.edit->resize(49, 10);
        QVERIFY(form.showActive());
        QCOMPARE(form.edit->height(), form.edit->MinimumHeight());
    }
};

DROPSTONE_TEST_MAIN(tst_NumberEdit)
#include "tst_numberedit.moc"

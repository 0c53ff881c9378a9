// The whole-number field: reading and stepping its value, the typed-character filter, focus
// entry and exit, paste and cut.
#include "TestSupport.h"

#include "controls/NumberEdit.h"

#include <QClipboard>
#include <QSignalSpy>

static bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 5000);
}

class tst_NumberEdit : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("text"); // typing goes between the first two characters
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("expected");

        // Unbounded, as in the dialogs: text that does not read as a 32-bit number counts as
        // 0, and the steps stop at the ends of the range.
        const int up = Qt::Key_Up;
        QTest::newRow("leading blank") << " 42" << up << "" << 0 << "43";
        QTest::newRow("sign alone") << "-" << up << "" << 0 << "1";
        QTest::newRow("one above largest") << "2147483648" << up << "" << 0 << "1";
        QTest::newRow("hex") << "$10" << up << "" << 0 << "17";
        QTest::newRow("hex beyond 32 bits") << "$100000005" << up << "" << 0 << "1";
        QTest::newRow("up at the top") << "2147483647" << up << "" << 0 << "2147483647";
        QTest::newRow("down from -2147483648")
            << "-2147483648" << int(Qt::Key_Down) << "" << 0 << "-1";

        const int unknown = Qt::Key_unknown;
        QTest::newRow("digit") << "78" << int(Qt::Key_9) << "9" << 0 << "798";
        QTest::newRow("colon") << "78" << int(Qt::Key_Colon) << ":" << 1 << "78";
        QTest::newRow("Arabic-Indic zero") << "78" << unknown << "\u0660" << 1 << "78";
        QTest::newRow("backspace") << "78" << int(Qt::Key_Backspace) << "\b" << 0 << "8";
        // X11 sends DEL along with the Delete key; it is an editing key, not a character.
        QTest::newRow("delete") << "78" << int(Qt::Key_Delete) << "\x7f" << 0 << "7";
    }

    void keys()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QString, typed);
        TNumberEdit edit;
        edit.setText(text);
        edit.setCursorPosition(1);
        QSignalSpy beeped(&edit, &TNumberEdit::beeped);
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key(key), typed, Qt::NoModifier);
        QTEST(edit.text(), "expected");
        QTEST(int(beeped.count()), "beeps");
    }

    void inWindow()
    {
        // A plain field before the number field, so that Tab can move between them.
        QWidget form;
        auto before = new QLineEdit(&form);
        auto edit = new TNumberEdit(&form);
        edit->setGeometry(8, 40, 49, 22);
        QStringList seen; // the selection on entry, the text on exit
        connect(edit, &TNumberEdit::OnEnter, edit,
                [&] { seen << "enter " + edit->selectedText(); });
        connect(edit, &TNumberEdit::OnExit, edit, [&] { seen << "exit " + edit->text(); });
        QVERIFY(showActive(&form));
        QTest::keyClick(before, Qt::Key_Tab);
        QTest::keyClicks(edit, "500"); // Tab selected all, so typing replaces it
        // Another window taking the keyboard for a while neither leaves nor enters the field.
        QWidget other;
        QVERIFY(showActive(&other));
        QVERIFY(showActive(&form));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
        // A left click enters without selecting.
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), before, 5000);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(20, edit->height() / 2));
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), edit, 5000);
        QCOMPARE(seen, QStringList({"enter 0", "exit 500", "enter "}));

        // Pasted text is not filtered, from the keyboard or the middle button.
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText("ab");
        clipboard->setText("c", QClipboard::Selection);
        QSignalSpy beeped(edit, &TNumberEdit::beeped);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(edit, Qt::MiddleButton, {}, {edit->width() - 2, edit->height() / 2});
        QCOMPARE(edit->text(), QString("500abc"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(clipboard->text(), QString("500abc"));
        QCOMPARE(beeped.count(), 0);
    }
};

DROPSTONE_TEST_MAIN(tst_NumberEdit)
#include "tst_numberedit.moc"

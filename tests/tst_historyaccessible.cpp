// The chat history as assistive technology reads it: the lines as received, without the
// zero-width spaces that let long words wrap.
// Runs on an accessibility bus with QT_LINUX_ACCESSIBILITY_ALWAYS_ON (with_a11y_bus.sh), as
// with a screen reader running, so that the history reports its changes.
#include "MatchSupport.h"

#include <QAccessible>

namespace {

// Broken three times, after 64, 128 and 192 characters.
const QString Run = QString(200, 'x') + " ende";

// The update handler takes a plain function, so the log cannot live in the test object.
QStringList textEvents;

void recordEvent(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::TextInserted) {
        const auto inserted = static_cast<QAccessibleTextInsertEvent *>(event);
        textEvents << QString("insert %1 ").arg(inserted->changePosition()) +
                          inserted->textInserted();
    } else if (event->type() == QAccessible::TextRemoved) {
        const auto removed = static_cast<QAccessibleTextRemoveEvent *>(event);
        textEvents << QString("remove %1 %2")
                          .arg(removed->changePosition())
                          .arg(removed->textRemoved().size());
    }
}

} // namespace

class tst_HistoryAccessible : public QObject
{
    Q_OBJECT

    BoxAnswerer m_boxes;
    std::unique_ptr<TForm1> m_form;

    QAccessibleInterface *history() const
    {
        return QAccessible::queryAccessibleInterface(m_form->Memo2());
    }
    QAccessibleTextInterface *text() const { return history()->textInterface(); }

private slots:
    void initTestCase() { QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000); }
    // The history reads "hallo welt\n" + Run + "\n": the run of 'x' spans 11 to 211.
    void init()
    {
        m_form = makeForm(m_boxes, "Anna");
        m_form->Memo2()->clear();
        m_form->AddHistoryLine(Run);
        m_form->AddHistoryLine("hallo welt");
    }
    void cleanup() { m_form.reset(); }

    void wholeText()
    {
        // A run of 65 is broken once, right before its last character.
        m_form->AddHistoryLine(QString(65, 'z'));
        const QString expected = QString(65, 'z') + "\nhallo welt\n" + Run + '\n';
        QCOMPARE(text()->characterCount(), expected.size());
        QCOMPARE(text()->text(0, expected.size()), expected);
        QCOMPARE(history()->text(QAccessible::Value), expected);
        QCOMPARE(history()->text(QAccessible::Name), QString("Chatverlauf"));
        QVERIFY(history()->state().disabled && history()->state().readOnly);
    }

    void boundaries_data()
    {
        QTest::addColumn<int>("boundary");
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("start");
        const int Char = QAccessible::CharBoundary;
        QTest::newRow("char after, over a break") << Char << "after" << 74 << "x" << 75;
        QTest::newRow("char before, over a break") << Char << "before" << 76 << "x" << 75;
        QTest::newRow("char at the end") << Char << "at" << 217 << "" << 217;
        QTest::newRow("word over the breaks")
            << int(QAccessible::WordBoundary) << "at" << 100 << QString(200, 'x') << 11;
        QTest::newRow("line before")
            << int(QAccessible::LineBoundary) << "before" << 150 << "hallo welt\n"
            << 0;
    }

    void boundaries()
    {
        QFETCH(int, boundary);
        QFETCH(QString, call);
        QFETCH(int, offset);
        const auto type = QAccessible::TextBoundaryType(boundary);
        int start = -1;
        int end = -1;
        const QString found = call == "at" ? text()->textAtOffset(offset, type, &start, &end)
                              : call == "after"
                                  ? text()->textAfterOffset(offset, type, &start, &end)
                                  : text()->textBeforeOffset(offset, type, &start, &end);
        QTEST(found, "expected");
        QTEST(start, "start");
        QCOMPARE(end, start + found.size());
    }

    void characterRect()
    {
        QPlainTextEdit *edit = m_form->Memo2();
        // After the first break and after all three; the narrow history has wrapped the run.
        for (const int offset : {11 + 64, 11 + 192}) {
            QTextCursor cursor(edit->document());
            cursor.setPosition(offset + (offset - 11) / 64); // past the zero-width spaces
            const QRect rect = text()->characterRect(offset);
            QCOMPARE(rect.topLeft(),
                     edit->viewport()->mapToGlobal(edit->cursorRect(cursor).topLeft()));
            QCOMPARE(text()->offsetAtPoint(rect.topLeft() + QPoint(1, rect.height() / 2)), offset);
            QVERIFY(rect.top() > text()->characterRect(11).bottom());
        }
    }

    void events()
    {
        const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);
        textEvents.clear();
        m_form->AddHistoryLine(Run);
        QTextCursor cursor(m_form->Memo2()->document());
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 2);
        cursor.removeSelectedText();
        QAccessible::installUpdateHandler(previous);
        QCOMPARE(textEvents, QStringList({"insert 0 " + Run + '\n', "remove 0 217"}));
    }
};

DROPSTONE_TEST_MAIN(tst_HistoryAccessible)
#include "tst_historyaccessible.moc"

// The chat history as assistive technology reads it: the lines as received, without the
// zero-width spaces that let long words wrap.
#include "MatchSupport.h"

#include <QAccessible>

namespace {

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
    } else if (event->type() == QAccessible::TextUpdated) {
        textEvents << "update";
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
    void init()
    {
        m_form = makeForm(m_boxes, "Anna");
        m_form->Memo2()->clear();
    }
    void cleanup() { m_form.reset(); }

    void wholeText_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("short lines") << QStringList{"eins", "zwei"};
        QTest::newRow("run broken three times") << QStringList{Run};
        QTest::newRow("runs of 64 and 65") << QStringList{QString(64, 'y'), QString(65, 'z')};
    }

    void wholeText()
    {
        QFETCH(QStringList, lines);
        QString expected;
        for (const QString &line : lines) {
            m_form->AddHistoryLine(line);
            expected.prepend(line + '\n');
        }
        QCOMPARE(text()->characterCount(), expected.size());
        QCOMPARE(text()->text(0, expected.size()), expected);
        QCOMPARE(history()->text(QAccessible::Value), expected);
        QCOMPARE(history()->text(QAccessible::Name), QString("Chatverlauf"));
        QVERIFY(history()->state().disabled && history()->state().readOnly);
    }

    void boundaries_data()
    {
        // The history reads "hallo welt\n" + Run + "\n": the run of 'x' spans 11 to 211.
        QTest::addColumn<int>("boundary");
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("start");
        const int Char = QAccessible::CharBoundary;
        const int Line = QAccessible::LineBoundary;
        QTest::newRow("char after a break") << Char << "at" << 75 << "x" << 75;
        QTest::newRow("char after, over a break") << Char << "after" << 74 << "x" << 75;
        QTest::newRow("char before, over a break") << Char << "before" << 76 << "x" << 75;
        QTest::newRow("char at the end") << Char << "at" << 217 << "" << 217;
        QTest::newRow("word over the breaks")
            << int(QAccessible::WordBoundary) << "at" << 100 << QString(200, 'x') << 11;
        QTest::newRow("word after the run")
            << int(QAccessible::WordBoundary) << "after" << 210 << " " << 211;
        QTest::newRow("line of the run") << Line << "at" << 150 << Run + '\n' << 11;
        QTest::newRow("line before") << Line << "before" << 150 << "hallo welt\n" << 0;
        QTest::newRow("line after") << Line << "after" << 5 << Run + '\n' << 11;
        QTest::newRow("sentence") << int(QAccessible::SentenceBoundary) << "at" << 150 << Run + '\n'
                                  << 11;
    }

    void boundaries()
    {
        QFETCH(int, boundary);
        QFETCH(QString, call);
        QFETCH(int, offset);
        m_form->AddHistoryLine(Run);
        m_form->AddHistoryLine("hallo welt");
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

    void characterRect_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("first") << 0;
        QTest::newRow("first after a break") << 64;
        QTest::newRow("after three breaks") << 201;
    }

    void characterRect()
    {
        QFETCH(int, offset);
        m_form->AddHistoryLine(Run);
        // The character's document position, counted past the zero-width spaces.
        const QString document = m_form->Memo2()->toPlainText();
        int position = -1;
        for (int seen = -1; seen < offset;)
            seen += document.at(++position) != QChar(0x200B);
        QTextCursor cursor(m_form->Memo2()->document());
        cursor.setPosition(position);
        QPlainTextEdit *edit = m_form->Memo2();
        const QRect rect = text()->characterRect(offset);
        QCOMPARE(rect.topLeft(), edit->viewport()->mapToGlobal(edit->cursorRect(cursor).topLeft()));
        QCOMPARE(text()->offsetAtPoint(rect.topLeft() + QPoint(1, rect.height() / 2)), offset);
        // The narrow history has wrapped the run before its first break.
        QCOMPARE(rect.top() > text()->characterRect(0).bottom(), offset >= 64);
    }

    void events_data()
    {
        QTest::addColumn<QString>("line"); // empty: the two lines are removed
        QTest::addColumn<QString>("expected");
        QTest::newRow("short line") << "drei"
                                    << "insert 0 drei\n";
        QTest::newRow("long run") << Run << "insert 0 " + Run + '\n';
        QTest::newRow("removed") << QString() << "remove 0 211";
    }

    void events()
    {
        QFETCH(QString, line);
        m_form->AddHistoryLine(Run);
        m_form->AddHistoryLine("eins");
        const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordEvent);
        textEvents.clear();
        if (line.isEmpty()) {
            QTextCursor cursor(m_form->Memo2()->document());
            cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 2);
            cursor.removeSelectedText();
        } else {
            m_form->AddHistoryLine(line);
        }
        QAccessible::installUpdateHandler(previous);
        QTEST(textEvents.join('|'), "expected");
    }
};

int main(int argc, char **argv)
{
    // Run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON on an accessibility bus (with_a11y_bus.sh), as
    // with a screen reader running, so that the history reports its changes.
    TApplication app(argc, argv);
    tst_HistoryAccessible test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_historyaccessible.moc"

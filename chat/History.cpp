// The chat history: newest line on top, bounded, and cheap to add to while a peer floods it.
#include "app/Unit1.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

// Longest run of characters without a break opportunity that the history is given.
constexpr int LongestRun = 64;

// A zero-width space after every LongestRun characters of a run without a blank: laying out a
// word longer than the line costs time by the square of its length, and a peer could send one
// of a million characters.
void AppendBreakable(QString &Result, QStringView Line)
{
    int Run = 0;
    for (const QChar Ch : Line) {
        Run = Ch.isSpace() ? 0 : Run + 1;
        Result += Ch;
        if (Run == LongestRun) {
            Result += QChar(0x200B);
            Run = 0;
        }
    }
}

} // namespace

void TForm1::AddHistoryLine(const QString &Line)
{
    // One line may fill the history alone, but its layout must not take the window's time.
    QString Shown =
        Line.size() > LongestHistoryLine ? Line.left(LongestHistoryLine) + QChar(0x2026) : Line;
    PendingHistorySize += Shown.size();
    PendingHistory.push_back(std::move(Shown));
    // Lines handed on together go in together: the top line is laid out at every insert.
    if (HandOnDepth == 0 || PendingHistorySize > HistoryLimit)
        FlushHistory();
}

void TForm1::FlushHistory()
{
    if (PendingHistory.isEmpty())
        return;
    QString Text;
    Text.reserve(PendingHistorySize + PendingHistorySize / LongestRun + PendingHistory.size());
    for (auto Line = PendingHistory.crbegin(); Line != PendingHistory.crend(); ++Line) {
        AppendBreakable(Text, *Line);
        Text += QLatin1Char('\n');
    }
    PendingHistory.clear();
    PendingHistorySize = 0;

    QPlainTextEdit *History = Memo2();
    QTextDocument *Document = History->document();
    QTextCursor Cursor(Document);
    const int Blocks = Document->blockCount();
    Cursor.insertText(Text);
    const int Added = Document->blockCount() - Blocks;

    // Bounded, so that a peer cannot grow our memory without end: the oldest lines go, by
    // characters and by lines (each line costs memory of its own, however short).
    int From = -1;
    if (Document->characterCount() > HistoryLimit)
        From = Document->findBlock(HistoryLimit).position();
    // The text ends in a line break, after which an empty block follows.
    if (Document->blockCount() > HistoryLines + 1) {
        const int Position = Document->findBlockByNumber(HistoryLines).position();
        From = From < 0 ? Position : std::min(From, Position);
    }
    if (From > 0) {
        Cursor.setPosition(From);
        Cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        Cursor.removeSelectedText();
    }
    // The newest line is the top one, and the history cannot be scrolled by the user.
    History->verticalScrollBar()->setValue(0);
    ReleaseHiddenLayouts(Added);
}

void TForm1::ReleaseHiddenLayouts(int Added)
{
    // Only the top lines are ever on screen. A line keeps the glyphs of its layout until they
    // are released, and every line was on top once: without this the history would cost many
    // times its text. Laying out is left to the paint, so lines that were never in view were
    // never laid out; those that were are the ones that the lines just added pushed below the
    // view. A released line is laid out again should it come into view.
    QPlainTextEdit *History = Memo2();
    const int LineHeight = std::max(1, History->fontMetrics().lineSpacing());
    const int InView = History->viewport()->height() / LineHeight + 2;
    const int Until = std::max(InView, LinesInView) + Added;
    LinesInView = InView;
    QTextBlock Block = History->document()->findBlockByNumber(InView);
    for (int Number = InView; Block.isValid() && Number < Until; ++Number) {
        if (Block.layout()->lineCount() > 0)
            Block.layout()->setText(QString());
        Block = Block.next();
    }
}

#include "HistoryAccessible.h"

#include "app/Unit1.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr QChar BreakOpportunity(0x200B);

// Document text as received: no break opportunities, block ends as line breaks.
QString asReceived(QString text)
{
    text.remove(BreakOpportunity);
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

HistoryAccessible::HistoryAccessible(QPlainTextEdit *history)
    : QAccessibleWidget(history, QAccessible::EditableText)
{
    const QString text = document()->toPlainText();
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == BreakOpportunity)
            m_breaks.push_back(i);
    }
    m_changes = QObject::connect(
        document(), &QTextDocument::contentsChange, history,
        [this](int from, int removed, int added) { documentChanged(from, removed, added); });
    silenceTextControl();
}

HistoryAccessible::~HistoryAccessible()
{
    QObject::disconnect(m_changes);
}

QAccessibleInterface *HistoryAccessible::factory(const QString &className, QObject *object)
{
    if (className != QLatin1String("QPlainTextEdit") || !object ||
        object->objectName() != QLatin1String("Memo2"))
        return nullptr;
    // The panel that holds the history may float in a window of its own, owned by the form.
    for (QObject *owner = object->parent(); owner; owner = owner->parent()) {
        if (auto form = qobject_cast<TForm1 *>(owner)) {
            if (form->Memo2() != object)
                return nullptr;
            return new HistoryAccessible(static_cast<QPlainTextEdit *>(object));
        }
    }
    return nullptr;
}

QAccessible::State HistoryAccessible::state() const
{
    // As Qt's own interface of a plain text edit has it.
    QAccessible::State state = QAccessibleWidget::state();
    if (history()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString HistoryAccessible::text(QAccessible::Text type) const
{
    if (type != QAccessible::Value)
        return QAccessibleWidget::text(type);
    if (m_textChange != m_changeCount) {
        m_text = received(0, documentLength());
        m_textChange = m_changeCount;
    }
    return m_text;
}

void *HistoryAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void HistoryAccessible::selection(int, int *startOffset, int *endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString HistoryAccessible::text(int startOffset, int endOffset) const
{
    const int count = characterCount();
    if (endOffset < 0 || endOffset > count)
        endOffset = count;
    startOffset = std::clamp(startOffset, 0, endOffset);
    return received(positionOf(startOffset), positionOf(endOffset));
}

QString HistoryAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    if (offset < 0 || offset > characterCount())
        return textOf({-1, -1}, startOffset, endOffset);
    const int start = offset == characterCount() ? offset : itemAt(offset, boundaryType).start;
    if (start == 0 || boundaryType == QAccessible::NoBoundary)
        return textOf({offset, offset}, startOffset, endOffset);
    return textOf(itemAt(start - 1, boundaryType), startOffset, endOffset);
}

QString HistoryAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    const int count = characterCount();
    if (offset < 0 || offset > count)
        return textOf({-1, -1}, startOffset, endOffset);
    const int end = offset == count ? offset : itemAt(offset, boundaryType).end;
    if (end == count || boundaryType == QAccessible::NoBoundary)
        return textOf({offset, offset}, startOffset, endOffset);
    return textOf(itemAt(end, boundaryType), startOffset, endOffset);
}

QString HistoryAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                        int *startOffset, int *endOffset) const
{
    const int count = characterCount();
    if (offset < 0 || offset > count)
        return textOf({-1, -1}, startOffset, endOffset);
    if (offset == count)
        return textOf({offset, offset}, startOffset, endOffset);
    return textOf(itemAt(offset, boundaryType), startOffset, endOffset);
}

int HistoryAccessible::characterCount() const
{
    return documentLength() - int(m_breaks.size());
}

QRect HistoryAccessible::characterRect(int offset) const
{
    if (offset < 0 || offset >= characterCount())
        return {};
    const int position = positionOf(offset);
    QTextCursor cursor(document());
    cursor.setPosition(position);
    QRect rect = history()->cursorRect(cursor);
    rect.setWidth(history()->fontMetrics().horizontalAdvance(document()->characterAt(position)));
    rect.moveTopLeft(history()->viewport()->mapToGlobal(rect.topLeft()));
    return rect;
}

int HistoryAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = history()->viewport()->mapFromGlobal(point);
    if (!history()->viewport()->rect().contains(local))
        return -1;
    return offsetOf(history()->cursorForPosition(local).position());
}

QString HistoryAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // Plain text: no attributes, the same over the whole text.
    if (offset < 0 || offset > characterCount())
        return textOf({-1, -1}, startOffset, endOffset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

QPlainTextEdit *HistoryAccessible::history() const
{
    return static_cast<QPlainTextEdit *>(widget());
}

QTextDocument *HistoryAccessible::document() const
{
    return history()->document();
}

int HistoryAccessible::documentLength() const
{
    return document()->characterCount() - 1;
}

int HistoryAccessible::offsetOf(int position) const
{
    const auto before = std::lower_bound(m_breaks.begin(), m_breaks.end(), position);
    return position - int(before - m_breaks.begin());
}

int HistoryAccessible::positionOf(int offset) const
{
    // The character at the offset follows every break opportunity whose own offset, the
    // number of characters before it, is at most the offset.
    int low = 0;
    int high = int(m_breaks.size());
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (m_breaks[middle] - middle <= offset)
            low = middle + 1;
        else
            high = middle;
    }
    return offset + low;
}

QString HistoryAccessible::received(int from, int to) const
{
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return asReceived(cursor.selectedText());
}

HistoryAccessible::Item HistoryAccessible::lineAt(int offset) const
{
    const int position = positionOf(offset);
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {offset, offset};
    const int end = std::min(block.position() + block.length(), documentLength());
    return {offsetOf(block.position()), offsetOf(end)};
}

HistoryAccessible::Item HistoryAccessible::itemAt(int offset,
                                                  QAccessible::TextBoundaryType boundaryType) const
{
    QTextBoundaryFinder::BoundaryType type = QTextBoundaryFinder::Grapheme;
    switch (boundaryType) {
    case QAccessible::CharBoundary:
        break;
    case QAccessible::WordBoundary:
        type = QTextBoundaryFinder::Word;
        break;
    case QAccessible::SentenceBoundary:
        type = QTextBoundaryFinder::Sentence;
        break;
    case QAccessible::NoBoundary:
        return {0, characterCount()};
    default: // a line of the history, which is not laid out for navigation
        return lineAt(offset);
    }
    const Item line = lineAt(offset);
    const QString text = this->text(line.start, line.end);
    // As Qt's own text interfaces count items: from one start or end of an item to the next.
    const auto isItemEdge = [](const QTextBoundaryFinder &finder) {
        return finder.boundaryReasons() &
               (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem);
    };
    QTextBoundaryFinder finder(type, text);
    finder.setPosition(offset - line.start);
    int start = finder.position();
    while (start > 0 && !isItemEdge(finder))
        start = finder.toPreviousBoundary();
    start = std::max(start, 0);
    finder.setPosition(start);
    int end = finder.toNextBoundary();
    while (end > 0 && end < text.size() && !isItemEdge(finder))
        end = finder.toNextBoundary();
    if (end < 0)
        end = int(text.size());
    return {line.start + start, line.start + end};
}

QString HistoryAccessible::textOf(Item item, int *startOffset, int *endOffset) const
{
    *startOffset = item.start;
    *endOffset = item.end;
    return item.start < item.end ? text(item.start, item.end) : QString();
}

void HistoryAccessible::documentChanged(int from, int removed, int added)
{
    ++m_changeCount;
    // The counts may take in the final paragraph separator, which is no text.
    const int length = documentLength();
    const int removedEnd = std::min(from + removed, length - added + removed);
    const int addedEnd = std::min(from + added, length);
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(std::max(from, addedEnd), QTextCursor::KeepAnchor);
    const QString addedText = cursor.selectedText();

    const auto first = std::lower_bound(m_breaks.begin(), m_breaks.end(), from);
    const auto last = std::lower_bound(first, m_breaks.end(), removedEnd);
    const int offset = from - int(first - m_breaks.begin());
    const int removedCount = std::max(0, removedEnd - from - int(last - first));
    std::for_each(last, m_breaks.end(), [&](int &position) { position += added - removed; });
    std::vector<int> addedBreaks;
    for (int i = 0; i < addedText.size(); ++i) {
        if (addedText.at(i) == BreakOpportunity)
            addedBreaks.push_back(from + i);
    }
    m_breaks.insert(m_breaks.erase(first, last), addedBreaks.begin(), addedBreaks.end());

    if (!QAccessible::isActive() || !silenceTextControl())
        return;
    // The text removed is gone; as Qt's own reports do, only its length is told.
    const QString removedText(removedCount, QLatin1Char(' '));
    const QString insertedText = asReceived(addedText);
    if (removedText.isEmpty() && insertedText.isEmpty())
        return;
    if (removedText.isEmpty()) {
        QAccessibleTextInsertEvent event(history(), offset, insertedText);
        QAccessible::updateAccessibility(&event);
    } else if (insertedText.isEmpty()) {
        QAccessibleTextRemoveEvent event(history(), offset, removedText);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(history(), offset, removedText, insertedText);
        QAccessible::updateAccessibility(&event);
    }
}

bool HistoryAccessible::silenceTextControl() const
{
    // Qt's text control is the edit's child and reports from the document's contentsChange,
    // its only connection to that signal; it connects again whenever the edit is cleared.
    // Its cursor reports carry no offset to the screen reader, which asks cursorPosition().
    for (QObject *child : history()->children()) {
        if (child->inherits("QWidgetTextControl")) {
            QObject::disconnect(document(), &QTextDocument::contentsChange, child, nullptr);
            return true;
        }
    }
    return false;
}

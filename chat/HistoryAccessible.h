#pragma once

#include <QAccessibleWidget>

#include <vector>

class QPlainTextEdit;
class QTextDocument;

// The main window's chat history as assistive technology reads it: the text as received. The
// zero-width spaces that the history inserts as break opportunities into long words are left
// out of every text, offset and event. Each call costs the logarithm of the history's length
// plus the length of the line it touches, never the whole history.
class HistoryAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit HistoryAccessible(QPlainTextEdit *history);
    ~HistoryAccessible() override;

    // For QAccessible::installFactory: the history of a main window, nothing else.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    void selection(int, int *startOffset, int *endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    struct Item
    {
        int start;
        int end;
    };

    QPlainTextEdit *history() const;
    QTextDocument *document() const;
    // The document's length without its final paragraph separator.
    int documentLength() const;
    // A document position as an offset of the text as received, and back; a break
    // opportunity maps to the character after it.
    int offsetOf(int position) const;
    int positionOf(int offset) const;
    // The text between two document positions, as received.
    QString received(int from, int to) const;
    // The history line that holds the offset, its line break included.
    Item lineAt(int offset) const;
    // The unit of the given kind that holds the offset, found within its line: no character,
    // word or sentence reaches across a line break.
    Item itemAt(int offset, QAccessible::TextBoundaryType boundaryType) const;
    QString textOf(Item item, int *startOffset, int *endOffset) const;
    void documentChanged(int from, int removed, int added);
    // Qt's text control reports changes in document positions with the break opportunities
    // included; the history reports them itself instead. False where the control cannot be
    // silenced: its reports then stand alone.
    bool silenceTextControl() const;

    // Document positions of the break opportunities, ascending; kept up to date with every
    // change of the document, so that events can name the offsets as they were.
    std::vector<int> m_breaks;
    QMetaObject::Connection m_changes;
    int m_changeCount = 0;
    // The whole text as received, made again when the document has changed since.
    mutable QString m_text;
    mutable int m_textChange = -1;
};

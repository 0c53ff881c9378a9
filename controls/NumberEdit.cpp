#include "NumberEdit.h"

#include "NumberEditRules.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFontDatabase>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {

// The system's thin border is one pixel high.
constexpr int BorderHeight = 1;

// Keys that bring a character with them. Delete brings DEL along but edits like an arrow key.
bool isTypedCharacter(const QKeyEvent &event)
{
    return !event.text().isEmpty() && event.key() != Qt::Key_Delete;
}

bool leavesField(Qt::FocusReason reason)
{
    // Another window or a pop-up menu taking the keyboard for a while leaves the field focused.
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

} // namespace

TNumberEdit::TNumberEdit(QWidget *parent) : QLineEdit(parent)
{
    setText(QStringLiteral("0"));
    UpdateEditRect();
}

qint32 TNumberEdit::Value() const
{
    return NumberEditRules::ReadInteger(text().toStdU16String()).value_or(m_minValue);
}

void TNumberEdit::setValue(qint32 value)
{
    setText(QString::number(ClampValue(value)));
}

qint32 TNumberEdit::ClampValue(qint32 value) const
{
    return NumberEditRules::ClampValue(value, m_minValue, m_maxValue);
}

bool TNumberEdit::AcceptsChar(QChar key) const
{
    return NumberEditRules::AcceptsChar(key.unicode(), m_editorEnabled);
}

void TNumberEdit::StepUp(QObject * /*sender*/)
{
    step(m_increment);
}

void TNumberEdit::StepDown(QObject * /*sender*/)
{
    step(-qint64(m_increment));
}

void TNumberEdit::step(qint64 delta)
{
    if (isReadOnly()) {
        MessageBeep();
        return;
    }
    setValue(NumberEditRules::AddSaturated(Value(), delta));
}

int TNumberEdit::MinimumHeight() const
{
    // The platform's general font stands for the screen's own font.
    const QFont systemFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const int system = QFontMetrics(systemFont).height();
    const int own = fontMetrics().height();
    return own + std::min(system, own) / 4 + 4 * BorderHeight + 2;
}

void TNumberEdit::MessageBeep()
{
    emit beeped();
    QApplication::beep();
}

void TNumberEdit::UpdateEditRect()
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect client = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    m_editRect = QRect(0, 0, client.width() - 1, client.height() + 1);
    // The text is laid out in the rectangle: one pixel narrower and one lower than the area
    // inside the frame.
    const QMargins margins(0, 0, client.width() - m_editRect.width(),
                           client.height() - m_editRect.height());
    if (textMargins() != margins)
        setTextMargins(margins);
}

bool TNumberEdit::acceptsText(const QString &text) const
{
    return std::all_of(text.begin(), text.end(), [this](QChar c) { return AcceptsChar(c); });
}

bool TNumberEdit::defaultButtonTakesEnter() const
{
    // The dialog's own rule: a visible default button takes Enter, even while disabled.
    const auto dialog = qobject_cast<const QDialog *>(window());
    if (!dialog)
        return false;
    const QList<QPushButton *> buttons = dialog->findChildren<QPushButton *>();
    return std::any_of(buttons.begin(), buttons.end(), [](const QPushButton *button) {
        return button->isDefault() && button->isVisible();
    });
}

bool TNumberEdit::entersField(Qt::FocusReason reason) const
{
    // The window opening with the focus here enters the field; the window coming back, after
    // another one had the keyboard, does not.
    if (reason == Qt::ActiveWindowFocusReason)
        return !m_entered;
    return reason != Qt::PopupFocusReason;
}

void TNumberEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        StepUp(this);
    else if (event->key() == Qt::Key_Down)
        StepDown(this);

    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
        if (!editingAllowed())
            return;
    } else if (isTypedCharacter(*event) && !acceptsText(event->text())) {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (!enter || !defaultButtonTakesEnter()) {
            MessageBeep();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TNumberEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString typed = event->commitString();
    if (typed.isEmpty() || acceptsText(typed)) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    MessageBeep();
    // The composition ends as usual; only its rejected text stays out.
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&rest);
}

void TNumberEdit::contextMenuEvent(QContextMenuEvent *event)
{
    // Without editing the menu offers what a read-only field's does: no cut, no paste.
    const bool readOnly = isReadOnly();
    setReadOnly(readOnly || !m_editorEnabled);
    QMenu *menu = createStandardContextMenu();
    setReadOnly(readOnly);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TNumberEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the X11 selection.
    if (event->button() == Qt::MiddleButton && !editingAllowed())
        return;
    QLineEdit::mouseReleaseEvent(event);
}

void TNumberEdit::dragEnterEvent(QDragEnterEvent *event)
{
    // Dropping text in is a paste. A drag that is not let in is not dropped here either.
    if (editingAllowed())
        QLineEdit::dragEnterEvent(event);
    else
        event->ignore();
}

void TNumberEdit::focusInEvent(QFocusEvent *event)
{
    if (!entersField(event->reason())) {
        QLineEdit::focusInEvent(event);
        return;
    }
    m_entered = true;
    const bool leftClick = event->reason() == Qt::MouseFocusReason &&
                           (QGuiApplication::mouseButtons() & Qt::LeftButton);
    if (m_autoSelect && !leftClick)
        selectAll();
    // The base selects the text by itself when tabbed into; here AutoSelect decides.
    QFocusEvent base(event->type(), m_autoSelect ? event->reason() : Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&base);
    emit OnEnter();
}

void TNumberEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!leavesField(event->reason()))
        return;
    m_entered = false;
    emit OnExit();
    const qint32 value = Value();
    if (ClampValue(value) != value)
        setValue(value);
}

void TNumberEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int least = MinimumHeight();
    // Raising the height comes back here at once only while the field shows; before that
    // the new size is not reported until it does.
    if (height() < least)
        resize(width(), least);
    UpdateEditRect();
}

#pragma once

#include <QLineEdit>

// A single-line field for a whole number. The text may hold anything (pasted text is not
// filtered); Value reads it through the standard integer conversion and writes it bounded.
// The Up and Down keys step the value; typed characters go through AcceptsChar.
class TNumberEdit : public QLineEdit
{
    Q_OBJECT
    // A stored layout sets MaxValue and MinValue before Value, so its Value is bounded.
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE setAutoSelect)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE setEditorEnabled)
    Q_PROPERTY(qint32 Increment READ Increment WRITE setIncrement)
    Q_PROPERTY(qint32 MaxValue READ MaxValue WRITE setMaxValue)
    Q_PROPERTY(qint32 MinValue READ MinValue WRITE setMinValue)
    Q_PROPERTY(qint32 Value READ Value WRITE setValue)

public:
    explicit TNumberEdit(QWidget *parent = nullptr);

    // The text as a number; MinValue when it does not convert. Never bounded.
    qint32 Value() const;
    // The text becomes the plain decimal form of ClampValue(value).
    void setValue(qint32 value);

    // Writing the bounds, the increment or the switches changes nothing else: new bounds
    // take effect at the next write of Value, the next step or the next loss of focus.
    qint32 MinValue() const { return m_minValue; }
    void setMinValue(qint32 value) { m_minValue = value; }
    qint32 MaxValue() const { return m_maxValue; }
    void setMaxValue(qint32 value) { m_maxValue = value; }
    qint32 Increment() const { return m_increment; }
    void setIncrement(qint32 value) { m_increment = value; }
    // False forbids typing, pasting and cutting; the arrow keys still step.
    bool EditorEnabled() const { return m_editorEnabled; }
    void setEditorEnabled(bool enabled) { m_editorEnabled = enabled; }
    // Select the whole text when the field is entered other than by a left click.
    bool AutoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool enabled) { m_autoSelect = enabled; }

    virtual bool AcceptsChar(QChar key) const;
    // One step by Increment, stopping at the ends of the 32-bit range; a beep instead while
    // the field is read-only.
    virtual void StepUp(QObject *sender);
    virtual void StepDown(QObject *sender);

    qint32 ClampValue(qint32 value) const;
    // The least height the font allows; a smaller height is raised to it at once.
    int MinimumHeight() const;
    // The formatting rectangle last set, in the coordinates of the area inside the frame.
    QRect EditRect() const { return m_editRect; }

signals:
    // The field was entered or left, by keyboard, mouse or program (not by the window
    // being activated or deactivated, nor by a pop-up menu opening).
    void OnEnter();
    void OnExit();
    // Each warning beep, as it sounds.
    void beeped();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void MessageBeep();
    void UpdateEditRect();
    void step(qint64 delta);
    bool acceptsText(const QString &text) const;
    bool editingAllowed() const { return m_editorEnabled && !isReadOnly(); }
    bool defaultButtonTakesEnter() const;
    bool entersField(Qt::FocusReason reason) const;

    qint32 m_minValue = 0;
    qint32 m_maxValue = 0;
    qint32 m_increment = 1;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
    // Between an entry and the next exit; the window coming back then is no new entry.
    bool m_entered = false;
    QRect m_editRect;
};

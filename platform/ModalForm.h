#pragma once

#include <QDialog>

class QPushButton;

// Modal results of the original toolkit.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// A dialog as the program's windows expect it: a fixed-size tool window centred on the
// screen, ended by buttons that carry a modal result, the close box giving mrCancel.
class ModalForm : public QDialog
{
    Q_OBJECT

public:
    explicit ModalForm(QWidget *owner = nullptr);

    // Runs the dialog's own loop and returns the modal result; mrCancel when the
    // application has been asked to quit.
    int ShowModal();

    // Clicking the button ends the dialog with result.
    void setModalResult(QPushButton *button, int result);
    // The button that Escape presses; without one Escape does nothing.
    void setCancelButton(QPushButton *button) { m_cancelButton = button; }

    // Fixes the client size and sizes every label to its text.
    void fixLayout();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPushButton *m_cancelButton = nullptr;
};

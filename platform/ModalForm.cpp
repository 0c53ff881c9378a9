#include "ModalForm.h"

#include "Application.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

ModalForm::ModalForm(QWidget *owner)
    : QDialog(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowIcon(QApplication::windowIcon());
}

int ModalForm::ShowModal()
{
    if (TApplication::instance()->Terminated())
        return mrCancel;
    fixLayout();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    setResult(mrNone);
    const int result = exec();
    // The close box and the quit request leave the dialog without a result of its own.
    return result == mrNone ? mrCancel : result;
}

void ModalForm::setModalResult(QPushButton *button, int result)
{
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
}

void ModalForm::fixLayout()
{
    for (QLabel *label : findChildren<QLabel *>())
        label->adjustSize();
    setFixedSize(size());
}

void ModalForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_cancelButton)
            m_cancelButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

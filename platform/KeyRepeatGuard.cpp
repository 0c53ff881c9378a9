#include "KeyRepeatGuard.h"

#include <QApplication>
#include <QKeyEvent>

bool KeyRepeatGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    QWidget *modal = QApplication::activeModalWidget();
    if (!key->isAutoRepeat()) {
        if (event->type() == QEvent::KeyPress) {
            m_key = key->key();
            m_modal = modal;
        }
        return QObject::eventFilter(watched, event);
    }
    return key->key() == m_key && m_modal != modal;
}

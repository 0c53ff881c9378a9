#include "KeyRepeatGuard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>

bool KeyRepeatGuard::isRepeat(const QObject *watched, const QKeyEvent *key)
{
    // Only keys from the window system, which meet their window first, are timed: a key sent
    // straight to a widget says what it is.
    return key->isAutoRepeat() ||
           (watched->isWindowType() && key->key() == m_releasedKey && m_sinceRelease.isValid() &&
            m_sinceRelease.elapsed() < RepeatGapMs);
}

bool KeyRepeatGuard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // A key event travels from its window to the focus widget and up its parents; it is judged
    // alike wherever it is met, so that what is sent straight to a widget is judged too.
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || m_resending)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyRelease) {
        m_releasedKey = key->key();
        m_sinceRelease.start();
        return key->key() == m_key && m_modal != QApplication::activeModalWidget();
    }
    QWidget *modal = QApplication::activeModalWidget();
    const bool repeat = isRepeat(watched, key);
    if (!repeat) {
        m_key = key->key();
        m_modal = modal;
        return QObject::eventFilter(watched, event);
    }
    if (key->key() == m_key && m_modal != modal)
        return true;
    if (key->isAutoRepeat())
        return QObject::eventFilter(watched, event);
    // Goes on flagged as what it is.
    QKeyEvent flagged(type, key->key(), key->modifiers(), key->nativeScanCode(),
                      key->nativeVirtualKey(), key->nativeModifiers(), key->text(), true,
                      key->count());
    const QScopedValueRollback<bool> resending(m_resending, true);
    QCoreApplication::sendEvent(watched, &flagged);
    return true;
}

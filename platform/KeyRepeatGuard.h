#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QKeyEvent;

// An application event filter that makes a held key's repeats known and keeps them where the
// key went down: a key held when a box opens neither answers the box nor starts anything in it.
//
// The window system's own repeat flag cannot be relied on: X reports a held key as release and
// press pairs, which the toolkit flags only when the press has already arrived as the release
// is read, and a screen reader's hand-over of keys delivers copies later. So a press also counts
// as a repeat when it follows the release of the same key almost at once, faster than a hand
// presses a key again. Such presses reach their target flagged as repeats.
class KeyRepeatGuard : public QObject
{
public:
    using QObject::QObject;

    // A press this soon after the release of the same key is the key still held.
    static constexpr int RepeatGapMs = 75;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isRepeat(const QObject *watched, const QKeyEvent *key);

    int m_key = 0;
    // The modal window that was active when the key went down, if any.
    QPointer<QWidget> m_modal;
    int m_releasedKey = 0;
    QElapsedTimer m_sinceRelease;
    bool m_resending = false;
};

#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// An application event filter: a held key's repeats go only where the key was first pressed.
// A key held down when a box opens neither answers the box nor starts anything in it.
class KeyRepeatGuard : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_key = 0;
    // The modal window that was active when the key went down, if any.
    QPointer<QWidget> m_modal;
};

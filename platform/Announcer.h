#pragma once

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstddef>

class QAccessibleInterface;

// Speaks short news through a screen reader. Qt has no announcement event here, so this holds
// empty, zero-sized widgets that assistive technology sees as notifications: readers speak a
// notification when it shows, and one shows with each utterance. Placed inside a status bar,
// they are read without their role name.
//
// Phrases said in one pass of the event loop are spoken as one, so that none cuts off the one
// before; they go out before any window shows, so that a box taking the focus follows them.
class Announcer : public QWidget
{
    Q_OBJECT

public:
    // Longest phrase spoken; a longer one is cut and ends in "…".
    static constexpr int LongestPhrase = 200;
    // Phrases spoken together at most; older ones of the same pass give way, and the
    // utterance begins with "…" in their place.
    static constexpr int PhrasesPerPass = 3;

    explicit Announcer(QWidget *parent);

    void say(const QString &phrase);
    // Speaks what waits now rather than at the end of the current pass.
    void flush();
    // What the notification read last.
    QString spoken() const { return m_spoken; }

    // For QAccessible::installFactory.
    static QAccessibleInterface *accessibleFactory(const QString &className, QObject *object);

signals:
    // Each utterance as it goes out, for whoever checks what is heard.
    void spokenOut(const QString &utterance);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList m_pending;
    bool m_skipped = false;
    QString m_spoken;
    std::array<QWidget *, 4> m_notices{};
    std::size_t m_next = 0;
};

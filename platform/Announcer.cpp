#include "Announcer.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QTimer>

namespace {

// The object name of the notices; their text is their accessible name.
const QString NoticeName = QStringLiteral("AnnouncerNotice");
const char *const NoticeText = "noticeText";

class AnnouncerAccessible : public QAccessibleWidget
{
public:
    explicit AnnouncerAccessible(QWidget *notice)
        : QAccessibleWidget(notice, QAccessible::Notification)
    {}

    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Name ? widget()->property(NoticeText).toString() : QString();
    }

    // Showing although it has no size: readers ignore what is not shown.
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !widget()->isVisible();
        state.readOnly = true;
        return state;
    }
};

} // namespace

Announcer::Announcer(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Announcer"));
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    for (QWidget *&notice : m_notices) {
        notice = new QWidget(this);
        notice->setObjectName(NoticeName);
        notice->setFocusPolicy(Qt::NoFocus);
        notice->setGeometry(0, 0, 0, 0);
    }
}

void Announcer::say(const QString &phrase)
{
    if (phrase.isEmpty())
        return;
    if (m_pending.isEmpty()) {
        QTimer::singleShot(0, this, &Announcer::flush);
        qApp->installEventFilter(this);
    }
    // A peer's flood of chat lines must not build one endless utterance. The newest phrases
    // are kept: the last one before a box or dialog is what opens it ("Du hast verloren"),
    // and what was left out stays in the history and on the board.
    if (m_pending.size() == PhrasesPerPass) {
        m_pending.removeFirst();
        m_skipped = true;
    }
    m_pending << (phrase.size() > LongestPhrase ? phrase.left(LongestPhrase) + QChar(0x2026)
                                                : phrase);
}

void Announcer::flush()
{
    if (m_pending.isEmpty())
        return;
    qApp->removeEventFilter(this);
    m_spoken = m_skipped ? QStringLiteral("\u2026 ") : QString();
    m_skipped = false;
    for (qsizetype i = 0; i < m_pending.size(); ++i) {
        if (i > 0)
            m_spoken += m_pending.at(i - 1).endsWith(QLatin1Char('.')) ? QStringLiteral(" ")
                                                                       : QStringLiteral(". ");
        m_spoken += m_pending.at(i);
    }
    m_pending.clear();
    emit spokenOut(m_spoken);
    // A reader asks for the text some time after the event: each utterance has a notice of its
    // own, which keeps its text until the ring comes round again.
    QWidget *notice = m_notices[m_next++ % m_notices.size()];
    notice->setProperty(NoticeText, m_spoken);
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent shown(notice, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

bool Announcer::eventFilter(QObject *watched, QEvent *event)
{
    // Before a window's own events: the window shows after what was said before it.
    if (event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->isWindow())
        flush();
    return QWidget::eventFilter(watched, event);
}

QAccessibleInterface *Announcer::accessibleFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("QWidget") || !object || !object->isWidgetType() ||
        object->objectName() != NoticeName || !qobject_cast<Announcer *>(object->parent()))
        return nullptr;
    return new AnnouncerAccessible(static_cast<QWidget *>(object));
}

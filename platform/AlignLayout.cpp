#include "AlignLayout.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>
#include <QWidgetItem>

#include <algorithm>
#include <iterator>

AlignLayout::AlignLayout(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

AlignLayout::~AlignLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void AlignLayout::addWidget(QWidget *widget, TAlign align)
{
    addChildWidget(widget);
    widget->installEventFilter(this);
    m_entries.append({new QWidgetItem(widget), align});
    invalidate();
}

void AlignLayout::setAlign(QWidget *widget, TAlign align)
{
    const int index = indexOf(widget);
    if (index < 0 || m_entries[index].align == align)
        return;
    m_entries[index].align = align;
    realign();
}

TAlign AlignLayout::align(const QWidget *widget) const
{
    const int index = indexOf(widget);
    return index < 0 ? alNone : m_entries[index].align;
}

int AlignLayout::indexOf(const QWidget *widget) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].item->widget() == widget)
            return i;
    }
    return -1;
}

namespace {

// In the order of TAlign.
const char *const AlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};

} // namespace

TAlign AlignLayout::alignNamed(const QString &name)
{
    for (int i = 0; i < int(std::size(AlignNames)); ++i) {
        if (name == QLatin1String(AlignNames[i]))
            return TAlign(i);
    }
    return alNone;
}

QString AlignLayout::nameOf(TAlign align)
{
    const bool known = align >= alNone && align <= alClient;
    return QString::fromLatin1(AlignNames[known ? align : alNone]);
}

void AlignLayout::applyStoredAlign(QWidget *root)
{
    AlignLayout *layout = nullptr;
    for (QWidget *child : root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        const QVariant stored = child->property("align");
        if (stored.isValid()) {
            if (!layout)
                layout = new AlignLayout(root);
            layout->addWidget(child, alignNamed(stored.toString()));
        }
        applyStoredAlign(child);
    }
}

void AlignLayout::alignPlaces(std::vector<Place> &places, QRect area)
{
    // Within one alignment the controls keep the order of their position on the edge they
    // hug, the first of several with the same position staying first.
    const auto before = [](TAlign align, const QRect &a, const QRect &b) {
        switch (align) {
        case alTop:
            return a.top() < b.top();
        case alBottom:
            return a.bottom() > b.bottom();
        case alLeft:
            return a.left() < b.left();
        case alRight:
            return a.right() > b.right();
        default:
            return false;
        }
    };
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<Place *> group;
        for (Place &place : places) {
            if (place.align == align)
                group.push_back(&place);
        }
        std::stable_sort(group.begin(), group.end(), [&](const Place *a, const Place *b) {
            return before(align, a->bounds, b->bounds);
        });
        for (Place *place : group) {
            QRect &r = place->bounds;
            const int w = r.width();
            const int h = r.height();
            switch (align) {
            case alTop:
                r = QRect(area.left(), area.top(), area.width(), h);
                area.setTop(area.top() + h);
                break;
            case alBottom:
                r = QRect(area.left(), area.top() + area.height() - h, area.width(), h);
                area.setHeight(area.height() - h);
                break;
            case alLeft:
                r = QRect(area.left(), area.top(), w, area.height());
                area.setLeft(area.left() + w);
                break;
            case alRight:
                r = QRect(area.left() + area.width() - w, area.top(), w, area.height());
                area.setWidth(area.width() - w);
                break;
            default:
                r = area;
                break;
            }
            if (r.width() < 0)
                r.setWidth(0);
            if (r.height() < 0)
                r.setHeight(0);
        }
    }
}

void AlignLayout::realign()
{
    if (m_aligning || !parentWidget())
        return;
    m_aligning = true;
    std::vector<Place> places;
    std::vector<QWidget *> widgets;
    for (const Entry &entry : std::as_const(m_entries)) {
        QWidget *widget = entry.item->widget();
        if (entry.align == alNone || widget->isHidden())
            continue;
        places.push_back({entry.align, widget->geometry()});
        widgets.push_back(widget);
    }
    // From the parent rather than the layout's own rectangle, which is empty between an
    // invalidate() and the next layout request.
    alignPlaces(places, parentWidget()->contentsRect().marginsRemoved(contentsMargins()));
    for (size_t i = 0; i < places.size(); ++i)
        widgets[i]->setGeometry(places[i].bounds);
    m_aligning = false;
}

void AlignLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    realign();
}

bool AlignLayout::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        // A control that changes its own size or visibility realigns its siblings at once,
        // as the original toolkit does.
        if (!m_aligning && watched->isWidgetType())
            realign();
        break;
    default:
        break;
    }
    return QLayout::eventFilter(watched, event);
}

void AlignLayout::addItem(QLayoutItem *item)
{
    m_entries.append({item, alNone});
}

QLayoutItem *AlignLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries[index].item : nullptr;
}

QLayoutItem *AlignLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    QLayoutItem *item = m_entries.takeAt(index).item;
    if (QWidget *widget = item->widget())
        widget->removeEventFilter(this);
    return item;
}

int AlignLayout::count() const
{
    return int(m_entries.size());
}

QSize AlignLayout::sizeHint() const
{
    return parentWidget() ? parentWidget()->size() : QSize();
}

QSize AlignLayout::minimumSize() const
{
    return QSize(0, 0);
}

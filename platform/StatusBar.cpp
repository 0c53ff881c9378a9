#include "StatusBar.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

// Gap between two panels, as on the original bar.
constexpr int PanelGap = 2;

} // namespace

StatusBar::StatusBar(QWidget *parent) : QWidget(parent) {}

QAccessibleInterface *StatusBar::accessibleFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("StatusBar") || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
}

void StatusBar::setPanelCount(int count)
{
    while (m_panels.size() > count)
        delete m_panels.takeLast().label;
    while (m_panels.size() < count) {
        auto label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(m_panels.size()));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        label->setIndent(2);
        label->setTextFormat(Qt::PlainText);
        label->show();
        m_panels.append({label, 50});
    }
    placePanels();
}

QString StatusBar::panelText(int index) const
{
    return index >= 0 && index < m_panels.size() ? m_panels[index].label->text() : QString();
}

void StatusBar::setPanelText(int index, const QString &text)
{
    if (index >= 0 && index < m_panels.size())
        m_panels[index].label->setText(text);
}

int StatusBar::panelWidth(int index) const
{
    return index >= 0 && index < m_panels.size() ? m_panels[index].width : 0;
}

void StatusBar::setPanelWidth(int index, int width)
{
    if (index < 0 || index >= m_panels.size() || m_panels[index].width == width)
        return;
    m_panels[index].width = width;
    placePanels();
}

void StatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePanels();
}

void StatusBar::placePanels()
{
    int left = 0;
    const int top = PanelGap;
    const int h = std::max(0, height() - PanelGap);
    for (int i = 0; i < m_panels.size(); ++i) {
        const bool last = i == m_panels.size() - 1;
        const int w = last ? std::max(0, width() - left) : m_panels[i].width;
        m_panels[i].label->setGeometry(left, top, std::max(0, w - PanelGap), h);
        left += w;
    }
}

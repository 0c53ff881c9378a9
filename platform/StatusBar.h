#pragma once

#include <QList>
#include <QWidget>

class QAccessibleInterface;
class QLabel;

// A status bar of text panels side by side, each with its own width; the last panel reaches
// the right edge of the bar whatever its width.
class StatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent = nullptr);

    void setPanelCount(int count);
    int panelCount() const { return int(m_panels.size()); }

    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);

    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);

    // For QAccessible::installFactory: assistive technology finds the bar as a status bar,
    // its panels as labels inside it, in order.
    static QAccessibleInterface *accessibleFactory(const QString &className, QObject *object);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Panel
    {
        QLabel *label;
        int width;
    };

    void placePanels();

    QList<Panel> m_panels;
};

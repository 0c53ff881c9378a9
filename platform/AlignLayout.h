#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

#include <vector>

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Places aligned children the way the original toolkit does: first every alTop control, then
// alBottom, alLeft, alRight and last alClient, each taking its strip off the rectangle that is
// left. A control keeps its own extent across the strip (the height of an alTop control, the
// width of an alRight one). Controls with alNone and hidden ones are not touched.
class AlignLayout : public QLayout
{
    Q_OBJECT

public:
    struct Place
    {
        TAlign align;
        QRect bounds; // in: current bounds; out: the aligned ones
    };

    explicit AlignLayout(QWidget *parent = nullptr);
    ~AlignLayout() override;

    void addWidget(QWidget *widget, TAlign align);
    void setAlign(QWidget *widget, TAlign align);
    TAlign align(const QWidget *widget) const;

    // The names of the alignments in the stored layouts' "align" property.
    static TAlign alignNamed(const QString &name);
    static QString nameOf(TAlign align);

    // Gives every widget below root that holds children with a stored "align" property an
    // AlignLayout of those children, in their stored order.
    static void applyStoredAlign(QWidget *root);

    // Aligns the places inside area, in place.
    static void alignPlaces(std::vector<Place> &places, QRect area);

    // Aligns the children to the contents rectangle now.
    void realign();

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QLayoutItem *item;
        TAlign align;
    };

    int indexOf(const QWidget *widget) const;

    QList<Entry> m_entries;
    bool m_aligning = false;
};

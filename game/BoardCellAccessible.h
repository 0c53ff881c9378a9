#pragma once

#include <QAccessible>

class BoardAccessible;

// One cell of the board's accessible table. Table row 0 is the board's top row (row 6).
class BoardCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    BoardCellAccessible(BoardAccessible *table, int row, int column);

    // The board's own numbering: column 1 on the left, row 1 at the bottom.
    int boardColumn() const { return m_column + 1; }
    int boardRow() const;

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    int columnExtent() const override { return 1; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int rowIndex() const override { return m_row; }
    bool isSelected() const override { return false; }
    QAccessibleInterface *table() const override;

private:
    BoardAccessible *m_table;
    int m_row;
    int m_column;
};

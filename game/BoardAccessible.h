#pragma once

#include <QAccessibleWidget>

#include <array>

class BoardCellAccessible;
class TForm1;

// The board as assistive technology sees it: a table of 6 rows and 7 columns, the top row
// first as on screen, whose cells read their column, row and content. Its name says whose
// turn it is and which column is chosen; its description is the latest news of the game.
class BoardAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    static constexpr int RowCount = 6;
    static constexpr int ColumnCount = 7;

    BoardAccessible(QWidget *surface, TForm1 *form);
    ~BoardAccessible() override;

    TForm1 *form() const { return m_form; }
    QWidget *surface() const { return widget(); }
    // The cell of a table position, or null outside the table.
    BoardCellAccessible *cell(int row, int column) const;
    // The cell of a board position (column 1 on the left, row 1 at the bottom), or null.
    BoardCellAccessible *boardCell(int column, int row) const;
    // The cell a piece would fall into in the chosen column (its top cell when full).
    BoardCellAccessible *chosenCell() const;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int columnCount() const override { return ColumnCount; }
    int rowCount() const override { return RowCount; }
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedCellCount() const override { return 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface *> selectedCells() const override { return {}; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    TForm1 *m_form;
    // Made once, registered with the accessibility cache, removed with the table by the ids
    // the cache gave: while the cache itself tears down, it cannot be asked for them.
    std::array<BoardCellAccessible *, RowCount * ColumnCount> m_cells{};
    std::array<QAccessible::Id, RowCount * ColumnCount> m_cellIds{};
};

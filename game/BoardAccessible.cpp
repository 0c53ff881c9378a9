#include "BoardAccessible.h"

#include "BoardCellAccessible.h"
#include "BoardGeometry.h"
#include "app/Unit1.h"
#include "platform/PaintBox.h"

BoardAccessible::BoardAccessible(QWidget *surface, TForm1 *form)
    : QAccessibleWidget(surface, QAccessible::Table), m_form(form)
{
    for (int row = 0; row < RowCount; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            auto cell = new BoardCellAccessible(this, row, column);
            m_cellIds[row * ColumnCount + column] = QAccessible::registerAccessibleInterface(cell);
            m_cells[row * ColumnCount + column] = cell;
        }
    }
}

BoardAccessible::~BoardAccessible()
{
    for (const QAccessible::Id id : m_cellIds)
        QAccessible::deleteAccessibleInterface(id);
}

BoardCellAccessible *BoardAccessible::cell(int row, int column) const
{
    if (row < 0 || row >= RowCount || column < 0 || column >= ColumnCount)
        return nullptr;
    return m_cells[row * ColumnCount + column];
}

BoardCellAccessible *BoardAccessible::boardCell(int column, int row) const
{
    return cell(RowCount - row, column - 1);
}

BoardCellAccessible *BoardAccessible::chosenCell() const
{
    const int column = m_form->ChosenColumn;
    const int row = m_form->Board.freeRow(column);
    return boardCell(column, row ? row : RowCount);
}

void *BoardAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString BoardAccessible::text(QAccessible::Text type) const
{
    switch (type) {
    case QAccessible::Name:
        return m_form->BoardName();
    default:
        return QAccessibleWidget::text(type);
    }
}

int BoardAccessible::childCount() const
{
    return RowCount * ColumnCount;
}

QAccessibleInterface *BoardAccessible::child(int index) const
{
    return index >= 0 && index < childCount() ? m_cells[index] : nullptr;
}

int BoardAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < childCount(); ++i) {
        if (m_cells[i] == child)
            return i;
    }
    return -1;
}

QAccessibleInterface *BoardAccessible::childAt(int x, int y) const
{
    const QWidget *surface = widget();
    const QPoint point = surface->mapFromGlobal(QPoint(x, y));
    const std::optional<CellPosition> hit =
        BoardGeometry(surface->width(), surface->height()).hitTest(point.x(), point.y());
    return hit ? boardCell(hit->column, hit->row) : nullptr;
}

QAccessibleInterface *BoardAccessible::focusChild() const
{
    return widget()->hasFocus() ? chosenCell() : nullptr;
}

QAccessibleInterface *BoardAccessible::cellAt(int row, int column) const
{
    return cell(row, column);
}

QString BoardAccessible::columnDescription(int column) const
{
    return QStringLiteral("Spalte %1").arg(column + 1);
}

QString BoardAccessible::rowDescription(int row) const
{
    return QStringLiteral("Zeile %1").arg(RowCount - row);
}

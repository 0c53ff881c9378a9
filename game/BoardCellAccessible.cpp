#include "BoardCellAccessible.h"

#include "BoardAccessible.h"
#include "BoardGeometry.h"
#include "app/Unit1.h"
#include "platform/PaintBox.h"

BoardCellAccessible::BoardCellAccessible(BoardAccessible *table, int row, int column)
    : m_table(table), m_row(row), m_column(column)
{}

int BoardCellAccessible::boardRow() const
{
    return BoardAccessible::RowCount - m_row;
}

bool BoardCellAccessible::isValid() const
{
    return m_table->isValid();
}

QWindow *BoardCellAccessible::window() const
{
    return m_table->window();
}

QAccessibleInterface *BoardCellAccessible::parent() const
{
    return m_table;
}

QAccessibleInterface *BoardCellAccessible::table() const
{
    return m_table;
}

QString BoardCellAccessible::text(QAccessible::Text type) const
{
    if (type != QAccessible::Name || !isValid())
        return QString();
    return m_table->form()->BoardCellName(boardColumn(), boardRow());
}

QRect BoardCellAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QWidget *surface = m_table->surface();
    const CellRect cell =
        BoardGeometry(surface->width(), surface->height()).cellRect(boardColumn(), boardRow());
    return QRect(surface->mapToGlobal(QPoint(cell.left, cell.top)),
                 QSize(cell.right - cell.left, cell.bottom - cell.top));
}

QAccessible::State BoardCellAccessible::state() const
{
    QAccessible::State state;
    state.focusable = true;
    state.focused = isValid() && m_table->surface()->hasFocus() && m_table->chosenCell() == this;
    return state;
}

void *BoardCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    return nullptr;
}

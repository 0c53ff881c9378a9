// Playing the board with the keyboard: the chosen column, its marker and the focus frame.
#include "app/Unit1.h"

#include "game/BoardGeometry.h"
#include "platform/PaintBox.h"

#include <QPainter>

bool TForm1::PaintBox1KeyDown(int Key, Qt::KeyboardModifiers)
{
    switch (Key) {
    case Qt::Key_Left:
        ChooseColumn(ChosenColumn - 1);
        return true;
    case Qt::Key_Right:
        ChooseColumn(ChosenColumn + 1);
        return true;
    case Qt::Key_Home:
        ChooseColumn(1);
        return true;
    case Qt::Key_End:
        ChooseColumn(TBoard::Columns);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Down:
        // The path of a click on the column's lowest free cell, rules and all.
        if (const int row = Board.freeRow(ChosenColumn))
            PlayMove(ChosenColumn, row);
        return true;
    default:
        if (Key >= Qt::Key_1 && Key < Qt::Key_1 + TBoard::Columns) {
            ChooseColumn(Key - Qt::Key_0);
            return true;
        }
        return false;
    }
}

void TForm1::ChooseColumn(int column)
{
    const int chosen = std::clamp(column, 1, TBoard::Columns);
    if (chosen == ChosenColumn)
        return;
    ChosenColumn = chosen;
    PaintBox1()->update();
    AnnounceChosenCell();
}

void TForm1::PaintBox1Overlay(QPainter &painter)
{
    TPaintBox *surface = PaintBox1();
    if (!surface->hasFocus())
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // White dashes show on the board's blue and on every piece.
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.drawRect(surface->rect().adjusted(1, 1, -2, -2));

    // The cell a piece would fall into, ringed in the player's colour with a dark edge inside
    // so that it shows on a white cell too; a full column has its top cell ringed in dashes.
    const BoardGeometry geometry(surface->width(), surface->height());
    const int row = Board.freeRow(ChosenColumn);
    const CellRect cell = geometry.cellRect(ChosenColumn, row ? row : TBoard::Rows);
    const QRect ring(cell.left, cell.top, cell.right - cell.left - 1, cell.bottom - cell.top - 1);
    if (ring.width() < 6 || ring.height() < 6)
        return;
    painter.setPen(QPen(PlayerColor, 3, row ? Qt::SolidLine : Qt::DashLine));
    painter.drawEllipse(ring.adjusted(1, 1, -1, -1));
    painter.setPen(QPen(Qt::black, 1, row ? Qt::SolidLine : Qt::DashLine));
    painter.drawEllipse(ring.adjusted(3, 3, -3, -3));
}

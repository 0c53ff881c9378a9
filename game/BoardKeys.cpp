// Playing the board with the keyboard: the chosen column, its marker and the focus frame.
#include "app/Unit1.h"

#include "game/BoardGeometry.h"
#include "platform/PaintBox.h"

#include <QPainter>

bool TForm1::PaintBox1KeyDown(int Key, Qt::KeyboardModifiers, bool AutoRepeat)
{
    int column = 0;
    switch (Key) {
    case Qt::Key_Left:
        column = ChosenColumn - 1;
        break;
    case Qt::Key_Right:
        column = ChosenColumn + 1;
        break;
    case Qt::Key_Home:
        column = 1;
        break;
    case Qt::Key_End:
        column = TBoard::Columns;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Down:
        SetKeyboardMode(true);
        // A held key drops one piece, and its repeats say nothing.
        if (AutoRepeat)
            return true;
        if (const QString refusal = DropRefusal(); !refusal.isEmpty())
            Announce(refusal);
        else
            // The path of a click on the column's lowest free cell, rules and all.
            PlayMove(ChosenColumn, Board.freeRow(ChosenColumn));
        return true;
    default:
        if (Key < Qt::Key_1 || Key >= Qt::Key_1 + TBoard::Columns)
            return false;
        column = Key - Qt::Key_0;
        break;
    }
    SetKeyboardMode(true);
    // Repeats at an edge, where nothing changes, stay silent.
    if (ChooseColumn(column) || !AutoRepeat)
        Announce(ChosenColumnPhrase());
    return true;
}

bool TForm1::ChooseColumn(int column)
{
    const int chosen = std::clamp(column, 1, TBoard::Columns);
    if (chosen == ChosenColumn)
        return false;
    ChosenColumn = chosen;
    PaintBox1()->update();
    return true;
}

void TForm1::SetKeyboardMode(bool on)
{
    if (KeyboardMode == on)
        return;
    KeyboardMode = on;
    PaintBox1()->update();
}

void TForm1::PaintBox1Overlay(QPainter &painter)
{
    TPaintBox *surface = PaintBox1();
    // Mouse players see the board as it is; the marks are for who plays from the keyboard.
    if (!surface->hasFocus() || !KeyboardMode)
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

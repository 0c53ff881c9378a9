#include "app/Unit1.h"

#include "game/BoardGeometry.h"
#include "platform/PaintBox.h"

#include <QPainter>

namespace {

// A painter on the canvas with no antialiasing, so that every shape keeps its exact pixels.
void beginOn(QPainter &painter, QImage &canvas)
{
    painter.begin(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
}

} // namespace

void TForm1::PaintBox1Paint()
{
    TPaintBox *surface = PaintBox1();
    QPainter painter;
    beginOn(painter, surface->Canvas());
    painter.fillRect(surface->rect(), BoardColor);

    const BoardGeometry geometry(surface->width(), surface->height());
    for (int column = 1; column <= TBoard::Columns; ++column) {
        for (int row = 1; row <= TBoard::Rows; ++row) {
            const CellRect cell = geometry.cellRect(column, row);
            if (cell.right <= cell.left || cell.bottom <= cell.top)
                continue;
            QColor fill = EmptyColor;
            if (Board.cell(column, row) == cellMine)
                fill = PlayerColor;
            else if (Board.cell(column, row) == cellTheirs)
                fill = OpponentColor;
            painter.setBrush(fill);
            // With the 1-pixel pen Qt's outline reaches one pixel past the rectangle's
            // width and height; this keeps it inside, right and bottom edges exclusive.
            painter.drawEllipse(
                QRect(cell.left, cell.top, cell.right - cell.left - 1, cell.bottom - cell.top - 1));
        }
    }
}

void TForm1::PaintBox1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    // Any button plays; the rectangles never overlap, so there is one cell at most.
    const TPaintBox *surface = PaintBox1();
    const BoardGeometry geometry(surface->width(), surface->height());
    if (const std::optional<CellPosition> cell = geometry.hitTest(X, Y)) {
        // The keyboard goes on from the column last played with the mouse.
        ChooseColumn(cell->column);
        PlayMove(cell->column, cell->row);
    }
}

void TForm1::RepaintBoard()
{
    PaintBox1()->Repaint();
}

void TForm1::DrawWinLine(int column1, int row1, int column2, int row2)
{
    TPaintBox *surface = PaintBox1();
    if (surface->Canvas().isNull())
        return;
    const BoardGeometry geometry(surface->width(), surface->height());
    const PixelPoint from = geometry.linePoint(column1, row1);
    const PixelPoint to = geometry.linePoint(column2, row2);

    // Round ends, the usual ones of a wide pen; unlike flat ones they cover both points.
    const int width = 3;
    QPainter painter;
    beginOn(painter, surface->Canvas());
    painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(from.x, from.y, to.x, to.y);
    painter.end();
    // Straight onto the surface, not into the board: the next repaint removes it.
    const QRect area = QRect(QPoint(from.x, from.y), QPoint(to.x, to.y)).normalized();
    surface->ShowCanvas(area.adjusted(-width, -width, width, width));
}

bool TForm1::CheckWin(int32_t player)
{
    return Board.scanWins(player, [this](int column1, int row1, int column2, int row2) {
        DrawWinLine(column1, row1, column2, row2);
    });
}

void TForm1::ClearBoard()
{
    Board.clear();
    RepaintBoard();
}

// What the board says to assistive technology, and the events that make a screen reader
// announce a change.
#include "app/Unit1.h"

#include "game/BoardAccessible.h"
#include "game/BoardCellAccessible.h"
#include "platform/PaintBox.h"

QString TForm1::BoardCellName(int column, int row) const
{
    QString content = QStringLiteral("leer");
    if (Board.cell(column, row) == cellMine)
        content = QStringLiteral("dein Stein");
    else if (Board.cell(column, row) == cellTheirs)
        content = QStringLiteral("Stein des Gegners");
    if (InWinningLine(column, row))
        content += QStringLiteral(", in der Viererreihe");
    return QStringLiteral("Spalte %1, Zeile %2: %3").arg(column).arg(row).arg(content);
}

QString TForm1::BoardName() const
{
    const QString turn = TurnText();
    return QStringLiteral("Spielbrett, %1, Spalte %2 gewählt")
        .arg(turn.isEmpty() ? QStringLiteral("Kein Spiel") : turn)
        .arg(ChosenColumn);
}

bool TForm1::InWinningLine(int column, int row) const
{
    return TBoard::contains(column, row) &&
           WinningCells[std::size_t((column - 1) * TBoard::Rows + row - 1)];
}

void TForm1::MarkWinningLine(int column1, int row1, int column2, int row2)
{
    const int stepColumn = (column2 > column1) - (column2 < column1);
    const int stepRow = (row2 > row1) - (row2 < row1);
    for (int column = column1, row = row1;; column += stepColumn, row += stepRow) {
        if (TBoard::contains(column, row))
            WinningCells.set(std::size_t((column - 1) * TBoard::Rows + row - 1));
        if (column == column2 && row == row2)
            break;
    }
}

void TForm1::Announce(const QString &News, int column, int row)
{
    BoardNews = News;
    if (!QAccessible::isActive())
        return;
    auto board = static_cast<BoardAccessible *>(QAccessible::queryAccessibleInterface(PaintBox1()));
    if (!board)
        return;
    if (BoardCellAccessible *cell = board->cell(TBoard::Rows - row, column - 1)) {
        QAccessibleEvent changed(cell, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    QAccessibleEvent news(board, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&news);
    QAccessibleEvent name(board, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}

void TForm1::AnnounceMove(int column, int row, std::int32_t player)
{
    const QString who = player == cellMine ? QStringLiteral("Du setzt")
                                           : QStringLiteral("%1 setzt").arg(OpponentName);
    Announce(QStringLiteral("%1 in Spalte %2, Zeile %3").arg(who).arg(column).arg(row), column,
             row);
}

void TForm1::AnnounceChosenCell()
{
    if (!QAccessible::isActive() || !PaintBox1()->hasFocus())
        return;
    auto board = static_cast<BoardAccessible *>(QAccessible::queryAccessibleInterface(PaintBox1()));
    if (!board)
        return;
    QAccessibleEvent focus(board->chosenCell(), QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
    QAccessibleEvent name(board, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}

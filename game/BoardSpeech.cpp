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
    if (Board.inLine(column, row))
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

BoardAccessible *TForm1::ListeningBoard()
{
    if (!QAccessible::isActive())
        return nullptr;
    return dynamic_cast<BoardAccessible *>(QAccessible::queryAccessibleInterface(PaintBox1()));
}

void TForm1::Announce(const QString &News, int column, int row)
{
    BoardNews = News;
    BoardAccessible *board = ListeningBoard();
    if (!board)
        return;
    if (BoardCellAccessible *cell = board->boardCell(column, row)) {
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
                                           : QStringLiteral("%1 setzt").arg(ShownOpponentName());
    Announce(QStringLiteral("%1 in Spalte %2, Zeile %3").arg(who).arg(column).arg(row), column,
             row);
}

void TForm1::AnnounceChosenCell()
{
    BoardAccessible *board = PaintBox1()->hasFocus() ? ListeningBoard() : nullptr;
    if (!board)
        return;
    QAccessibleEvent focus(board->chosenCell(), QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
    QAccessibleEvent name(board, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}

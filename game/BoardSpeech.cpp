// What the board says to assistive technology, and what a screen reader speaks of the game.
#include "app/Unit1.h"

#include "game/BoardAccessible.h"
#include "game/BoardCellAccessible.h"
#include "platform/Announcer.h"
#include "platform/PaintBox.h"

#include <QApplication>

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

QString TForm1::ChosenColumnPhrase() const
{
    if (const int row = Board.freeRow(ChosenColumn))
        return QStringLiteral("Spalte %1, Stein fällt in Zeile %2").arg(ChosenColumn).arg(row);
    return QStringLiteral("Spalte %1 ist voll").arg(ChosenColumn);
}

QString TForm1::DropRefusal() const
{
    switch (GameState) {
    case gsMyTurn:
        return Board.freeRow(ChosenColumn) ? QString() : ChosenColumnPhrase();
    case gsTheirTurn:
        return QStringLiteral("%1 ist am Zug").arg(ShownOpponentName());
    default:
        return TurnText();
    }
}

void TForm1::Announce(const QString &News, int column, int row)
{
    Announcer1()->say(News);
    // Readers that keep the table's cells learn that one changed.
    if (!QAccessible::isActive() || !TBoard::contains(column, row))
        return;
    auto board =
        dynamic_cast<BoardAccessible *>(QAccessible::queryAccessibleInterface(PaintBox1()));
    if (BoardCellAccessible *cell = board ? board->boardCell(column, row) : nullptr) {
        QAccessibleEvent changed(cell, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void TForm1::AnnounceMove(int column, int row, std::int32_t player)
{
    const QString who = player == cellMine ? QStringLiteral("Du setzt")
                                           : QStringLiteral("%1 setzt").arg(ShownOpponentName());
    Announce(QStringLiteral("%1 in Spalte %2, Zeile %3").arg(who).arg(column).arg(row), column,
             row);
    if (player != cellMine)
        CallAttention();
}

void TForm1::AnnounceFromPeer(const QString &News)
{
    Announce(News);
    CallAttention();
}

void TForm1::CallAttention()
{
    if (isActiveWindow() || AttentionAsked)
        return;
    AttentionAsked = true;
    RequestAttention();
}

void TForm1::RequestAttention()
{
    QApplication::alert(this);
}

void TForm1::AnnounceChosenCell()
{
    if (!PaintBox1()->hasFocus() || !QAccessible::isActive())
        return;
    auto board =
        dynamic_cast<BoardAccessible *>(QAccessible::queryAccessibleInterface(PaintBox1()));
    if (!board)
        return;
    QAccessibleEvent focus(board->chosenCell(), QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

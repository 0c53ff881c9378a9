#include "OpponentMatch.h"

#include <utility>

namespace {

TDataPacket packetOf(std::int32_t kind, int column = 0)
{
    TDataPacket packet;
    packet.Kind = kind;
    packet.Column = column;
    return packet;
}

} // namespace

OpponentMatch::OpponentMatch(std::string name) : m_name(std::move(name)) {}

TDataPacket OpponentMatch::greeting() const
{
    TDataPacket packet = packetOf(pkName);
    packet.Text = m_name;
    return packet;
}

void OpponentMatch::newGame(State first)
{
    m_board.clear();
    m_moves.clear();
    ++m_generation;
    m_state = first;
}

OpponentMatch::Actions OpponentMatch::receive(const TDataPacket &packet)
{
    Actions actions;
    switch (packet.Kind) {
    case pkNewGame:
        newGame(TheirTurn);
        break;
    case pkDisconnect:
        actions.close = true;
        break;
    case pkMove: {
        // A move counts only in the window's turn and only where it fits; a correct window
        // sends nothing else, and the engine is only ever shown legal games.
        if (m_state != TheirTurn || m_board.freeRow(packet.Column) == 0)
            break;
        m_board.dropInto(packet.Column, cellTheirs);
        m_moves.push_back(packet.Column);
        if (m_board.scanWins(cellTheirs, {})) {
            // As a loser choosing to play again: the next game, and its first move, are ours.
            newGame(OurTurn);
            actions.send.push_back(packetOf(pkNewGame));
            actions.think = true;
        } else if (m_board.isFull()) {
            m_state = GameOver;
        } else {
            m_state = OurTurn;
            actions.think = true;
        }
        break;
    }
    default:
        // Names and chat lines are not answered.
        break;
    }
    return actions;
}

OpponentMatch::Actions OpponentMatch::moveChosen(std::uint64_t generation, int column)
{
    Actions actions;
    if (generation != m_generation || m_state != OurTurn)
        return actions;
    if (m_board.freeRow(column) == 0)
        column = anyLegalColumn();
    m_board.dropInto(column, cellMine);
    m_moves.push_back(column);
    actions.send.push_back(packetOf(pkMove, column));
    const bool over = m_board.scanWins(cellMine, {}) || m_board.isFull();
    m_state = over ? GameOver : TheirTurn;
    return actions;
}

int OpponentMatch::anyLegalColumn() const
{
    for (int column = 1; column <= TBoard::Columns; ++column) {
        if (m_board.freeRow(column) != 0)
            return column;
    }
    return 1;
}

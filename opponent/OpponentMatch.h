#pragma once

#include "game/Board.h"
#include "net/TDataPacket.h"

#include <cstdint>
#include <string>
#include <vector>

// The computer's side of a match, without sockets or clocks: the games as the window's peer
// sees them. The window begins the first game; whoever sends pkNewGame moves first. Each side
// finds wins and full boards on its own board. After losing, the computer starts the next game
// itself; after its win or a full board it waits for the window's new game.
class OpponentMatch
{
public:
    // What the caller has to do after an event, in this order.
    struct Actions
    {
        std::vector<TDataPacket> send;
        // Ask the engine for a move in the current game (moves()) under generation().
        bool think = false;
        // The peer said goodbye: end the connection.
        bool close = false;
    };

    explicit OpponentMatch(std::string name);

    // The packet that introduces the computer, first on a new connection.
    TDataPacket greeting() const;
    // Handles a packet from the window.
    Actions receive(const TDataPacket &packet);
    // The engine's column for the request made under generation. A choice that a new game has
    // overtaken, or that arrives out of turn, is dropped.
    Actions moveChosen(std::uint64_t generation, int column);

    // The current game's columns in the order played, the first by the side that began.
    const std::vector<int> &moves() const { return m_moves; }
    // Changes with every new game, so that a move chosen for an earlier one is never played.
    std::uint64_t generation() const { return m_generation; }
    bool ourTurn() const { return m_state == OurTurn; }
    bool theirTurn() const { return m_state == TheirTurn; }

private:
    enum State { NoGame, TheirTurn, OurTurn, GameOver };

    void newGame(State first);
    // The first legal column: what is played when the engine's choice is not.
    int anyLegalColumn() const;

    std::string m_name;
    TBoard m_board;
    std::vector<int> m_moves;
    std::uint64_t m_generation = 0;
    State m_state = NoGame;
};

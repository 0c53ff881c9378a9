#include "engine/Position.h"

namespace engine {

bool replay(const std::vector<int> &moves, Position &position)
{
    for (int column : moves) {
        if (column < 1 || column > Position::Width || !position.canPlay(column - 1) ||
            position.isWinningMove(column - 1))
            return false;
        position.play(column - 1);
    }
    return true;
}

} // namespace engine

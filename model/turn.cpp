// SPDX-License-Identifier: MIT
#include "model/turn.h"

#include "model/gemlet.h"
#include "model/groups.h"

namespace gemlets {

void newTurn(Game& game, RandomGenerator& random) {
    if (game.state != State::newGemlets)
        return;
    game.chainGroups.clear();
    game.chainFell = false;
    if (game.field[getOffset(spawnX1, spawnY)] != emptyCell ||
        game.field[getOffset(spawnX2, spawnY)] != emptyCell) {
        game.state = State::gameover;
        return;
    }
    backtrackGemlets(game);
    backtrackGemlets(game);
    const int col1 = random.random(maxCols);
    game.first =
        makeGemlet({.x = spawnX1, .y = spawnY, .col = col1, .state = GemletState::dropping});
    const int col2 = random.random(maxCols);
    game.second =
        makeGemlet({.x = spawnX2, .y = spawnY, .col = col2, .state = GemletState::dropping});
    game.gemlets.insert(game.gemlets.begin(), game.first);
    game.gemlets.insert(game.gemlets.begin(), game.second);
    game.state = State::unpause;
}

} // namespace gemlets

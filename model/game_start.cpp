// SPDX-License-Identifier: MIT
#include "model/game_start.h"

#include "model/field_file.h"
#include "model/gravity.h"

#include <string>

namespace gemlets {

void startGame(Game& game) {
    game.first =
        makeGemlet({.x = firstPairX, .y = firstPairY, .col = 3, .state = GemletState::dropping});
    game.second = makeGemlet(
        {.x = firstPairX, .y = firstPairY + 1, .col = 1, .state = GemletState::dropping});
    game.gemlets = {game.first, game.second};
    game.level = startLevel;
    game.points = startPoints;
    game.run = true;
    game.state = State::unpause;
}

void placeField(Game& game, Field cells, std::string_view name) {
    for (const GemletPtr& g : game.gemlets) {
        const int x = gemletX(*g).value();
        const int y = gemletY(*g).value();
        // Two gemlets in one cell would draw as one and fall through each other.
        if (cells[getOffset(x, y)] != emptyCell)
            throw FieldFileError(std::string(name) + ": line " + std::to_string(y + 1) +
                                 ", column " + std::to_string(x + 1) + ": cell (" +
                                 std::to_string(x) + ", " + std::to_string(y) +
                                 ") is taken by the first falling pair; it must be '*'");
    }
    game.field = std::move(cells);
    fieldToGemlets(game);
}

} // namespace gemlets

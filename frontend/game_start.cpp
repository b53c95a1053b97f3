#include "frontend/game_start.h"

#include "model/gravity.h"

#include <string>

namespace gemlets {

void startGame(Game& game) {
    game.first =
        makeGemlet({.x = firstPairX, .y = firstPairY, .col = 3, .state = GemletState::dropping});
    game.second = makeGemlet(
        {.x = firstPairX, .y = firstPairY + 1, .col = 1, .state = GemletState::dropping});
    game.gemlets = {game.first, game.second};
    game.level = 0;
    game.points = 0;
    game.run = true;
    game.state = State::unpause;
}

void loadField(Game& game, const std::filesystem::path& path) {
    Field cells = emptyField();
    fileToField(cells, path);
    // The file and its gemlets together, so that no drop step rebuilds the field from the
    // gemlets alone before the file's cells have become gemlets.
    std::scoped_lock lock(game.lock);
    for (const GemletPtr& g : game.gemlets) {
        const int x = gemletX(*g).value();
        const int y = gemletY(*g).value();
        // Two gemlets in one cell would draw as one and fall through each other.
        if (cells[getOffset(x, y)] != emptyCell)
            throw FieldFileError(path.string() + ": line " + std::to_string(y + 1) + ", column " +
                                 std::to_string(x + 1) + ": cell (" + std::to_string(x) + ", " +
                                 std::to_string(y) +
                                 ") is taken by the first falling pair; it must be '*'");
    }
    game.field = std::move(cells);
    fieldToGemlets(game);
}

} // namespace gemlets

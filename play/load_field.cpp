// SPDX-License-Identifier: MIT
#include "play/load_field.h"

#include "play/game_events.h"

namespace gemlets {

void loadField(Game& game, const std::filesystem::path& path) {
    Field cells = emptyField();
    fileToField(cells, path);
    // The file and its gemlets together, so that no drop step rebuilds the field from the
    // gemlets alone before the file's cells have become gemlets.
    enterGame(game, loadEvent(std::move(cells), path.string()));
}

} // namespace gemlets

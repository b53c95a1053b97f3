// The game's side of start-up: the first pair and the starting values, and the initial
// field read from the field file.
#pragma once

#include "model/field_file.h"
#include "model/game.h"

#include <filesystem>

namespace gemlets {

// Yellow over red, upright in column 3: the same first pair in every game.
inline constexpr int firstPairX = 3;
inline constexpr int firstPairY = 1;

// The first pair as the only gemlets, level 0, no points, running and `unpause`.
void startGame(Game& game);

// Reads the field file into game.field and makes a falling gemlet of every occupied cell,
// under the lock. Throws FieldFileError, with the game untouched, for a file that cannot be
// read, is malformed, or puts a gemlet in a cell a gemlet in play already holds.
void loadField(Game& game, const std::filesystem::path& path = fieldFileName);

} // namespace gemlets

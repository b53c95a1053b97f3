// SPDX-License-Identifier: MIT
// The start of a game: the first pair and the starting values, and the rule that places the
// initial field under it.
#pragma once

#include "model/game.h"

#include <string_view>

namespace gemlets {

// Yellow over red, upright in column 3: the same first pair in every game.
inline constexpr int firstPairX = 3;
inline constexpr int firstPairY = 1;
static_assert(firstPairX < fieldW && firstPairY + 1 < fieldH, "the first pair lies in the field");

// The first pair as the only gemlets, the starting level and points, running and `unpause`.
void startGame(Game& game);

// Makes cells the game's field and a falling gemlet of each of its occupied cells; the caller
// holds the lock. Throws FieldFileError naming `name`, with the game untouched, when a cell
// is one that a gemlet in play already holds.
void placeField(Game& game, Field cells, std::string_view name);

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The rules of a new turn, once everything has landed: game over when a spawn cell is taken,
// otherwise the two group searches and the next pair.
#pragma once

#include "model/game.h"
#include "model/random_colours.h"

namespace gemlets {

// The cells where every pair after the first appears and where game over is tested.
inline constexpr int spawnX1 = 2;
inline constexpr int spawnX2 = 3;
inline constexpr int spawnY = 0;
static_assert(spawnX2 < fieldW, "the spawn cells lie in the field");

// Acts only in `newGemlets`: a taken spawn cell gives `gameover`; otherwise two group
// searches, a new pair of random colours at the spawn cells, and `unpause`; game.chainGroups
// then tells what the searches cleared. The caller holds the lock.
void newTurn(Game& game, RandomGenerator& random);

} // namespace gemlets

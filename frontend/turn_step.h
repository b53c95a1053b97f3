// The turn step: once the drop task reports that everything has landed, either declare the
// game over or clear groups and bring in the next pair.
#pragma once

#include "frontend/random_colours.h"
#include "model/game.h"

namespace gemlets {

// The cells where every pair after the first appears and where game over is tested.
inline constexpr int spawnX1 = 2;
inline constexpr int spawnX2 = 3;
inline constexpr int spawnY = 0;

// Acts only in `newGemlets`: a taken spawn cell gives `gameover`; otherwise two group
// searches, a new pair of random colours at the spawn cells, and `unpause`; then their trace
// is flushed.
void turnStep(Game& game, RandomGenerator& random);

} // namespace gemlets

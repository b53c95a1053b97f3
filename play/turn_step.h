// SPDX-License-Identifier: MIT
// The turn step of the main loop: a new turn under the lock, then its trace on its way.
#pragma once

#include "model/game.h"
#include "model/random_colours.h"

namespace gemlets {

// newTurn under the lock, so that no drop step lands between the game-over test and the
// spawn; then the searches' trace is flushed.
void turnStep(Game& game, RandomGenerator& random);

} // namespace gemlets

// SPDX-License-Identifier: MIT
// Steering the falling pair: one column sideways, or a quarter turn.
#pragma once

#include "model/game.h"

namespace gemlets {

// Both gemlets move one column, or neither: only while both are dropping, never through a
// wall, and only into free cells. The state is `pause` while the move works and `unpause`
// afterwards, whatever it was before, but for `gameover`, which stays.
void moveToLeft(Game& game, Gemlet& f, Gemlet& s);
void moveToRight(Game& game, Gemlet& f, Gemlet& s);

// Turns the pair by one step of the rotation table, deciding on the field rebuilt from the
// gemlets. The turn is made only while both gemlets are dropping and both new cells lie
// inside the field and are free or already the pair's own; otherwise only the field is
// rebuilt. The state is left as it was.
void rotateStones(Game& game, Gemlet& f, Gemlet& s);

} // namespace gemlets

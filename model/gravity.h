// SPDX-License-Identifier: MIT
// Gravity: one drop step for every gemlet in play, the hard drop of the pair, and the two
// conversions between the gemlet list and the field grid.
#pragma once

#include "model/game.h"

namespace gemlets {

// Rebuilds game.field from game.gemlets; where two gemlets share a cell the later one wins.
void gemletsToField(Game& game);

// Prepends a new dropping gemlet for every occupied cell, scanning column by column.
void fieldToGemlets(Game& game);

// Sorts the list bottom row first, then moves each dropping gemlet down one row or lands
// it. Returns 0 when every gemlet has landed, 1 otherwise.
int dropGemlets(Game& game);

// Drops until both gemlets of the pair have landed, then once more.
void dropThemDown(Game& game);

} // namespace gemlets

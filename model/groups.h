// SPDX-License-Identifier: MIT
// Finding and clearing groups of four or more connected gemlets of one colour, with the
// score, the level and the chains that form while the rest falls. Writes its trace to
// game.out.
#pragma once

#include "model/game.h"

namespace gemlets {

inline constexpr int groupThreshold = 4;
inline constexpr int pointsPerCell = 2;
inline constexpr int pointsPerLevel = 50;
inline constexpr int maxLevel = 10;

// Flood fill: marks with visitedMark every cell of the col group that holds (x, y).
void backtrack(Field& f, int x, int y, int col);

// Clears the cells marked in game.solveField from game.field, scores them, rebuilds the
// gemlets from the field and lets them settle, searching again after every drop step. Counts
// the group in game.chainGroups, a step further when gemlets fell since the last group.
void sweeping(Game& game);

// Searches the group of every gemlet in play and sweeps each group of four or more.
void backtrackGemlets(Game& game);

} // namespace gemlets

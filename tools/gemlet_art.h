// SPDX-License-Identifier: MIT
// Paints a gemlet: an octagonal cut gem lit from the top left, with a mark that tells its colour
// apart by shape alone.
#pragma once

#include "frontend/geometry.h"
#include "tools/canvas.h"

namespace gemlets::assets {

// col is a colour code: 0 blue (ring), 1 red (cross), 2 green (triangle), 3 yellow (diamond).
// Cells are square: gemletW serves as their height too.
// The gem is anti-aliased over what the canvas already holds; (left, top) is the cell corner.
// size is the cell's side in pixels: the game's cells, or larger for the menu icon.
void paintGemlet(Canvas& canvas, int left, int top, int col, int size = gemletW);

} // namespace gemlets::assets

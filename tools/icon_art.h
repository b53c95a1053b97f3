// SPDX-License-Identifier: MIT
// Paints the icon of the desktop's game menu: four gemlets, one of each colour, in a square
// on a clear background.
#pragma once

#include "tools/png_encoder.h"

namespace gemlets::assets {

// size × size pixels; size is even, each gemlet half of it.
RgbaPicture paintIcon(int size);

} // namespace gemlets::assets

// SPDX-License-Identifier: MIT
// Turns a canvas into the bytes of a baseline JPEG file, which SDL_image reads.
#pragma once

#include "tools/canvas.h"

#include <vector>

namespace gemlets::assets {

// Full-resolution colour (no chroma subsampling) keeps the marks' edges crisp at 32 pixels.
std::vector<unsigned char> encodeJpeg(const Canvas& canvas, int quality);

} // namespace gemlets::assets

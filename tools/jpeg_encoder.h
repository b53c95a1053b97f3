// SPDX-License-Identifier: MIT
// Turns a canvas into the bytes of a baseline JPEG file, which SDL_image reads.
#pragma once

#include "tools/canvas.h"

#include <vector>

namespace gemlets::assets {

// How finely a picture's colour is kept beside its brightness.
enum class Chroma {
    full,   // every pixel's: the marks' edges stay crisp at 32 pixels
    halved, // a quarter as many samples: about a quarter smaller, unseen on a large picture
};

std::vector<unsigned char> encodeJpeg(const Canvas& canvas, int quality, Chroma chroma);

} // namespace gemlets::assets

// SPDX-License-Identifier: MIT
// Turns a picture with an alpha channel into the bytes of a PNG file, the form the desktop's
// icon themes read.
#pragma once

#include <vector>

namespace gemlets::assets {

struct RgbaPicture {
    int width = 0;
    int height = 0;
    // Red, green, blue and alpha, one byte each, row by row; alpha is not premultiplied.
    std::vector<unsigned char> pixels;
};

// Throws std::runtime_error with libpng's reason should encoding fail.
std::vector<unsigned char> encodePng(const RgbaPicture& picture);

} // namespace gemlets::assets

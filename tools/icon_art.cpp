// SPDX-License-Identifier: MIT
#include "tools/icon_art.h"

#include "tools/canvas.h"
#include "tools/gemlet_art.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace gemlets::assets {

namespace {

unsigned char toByte(float channel) {
    return static_cast<unsigned char>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255.0f));
}

} // namespace

RgbaPicture paintIcon(int size) {
    // The canvas has no alpha channel: painted over black and over white, a pixel differs by
    // how much of the background shows through, which gives its alpha.
    Canvas onBlack(size, size, {0, 0, 0});
    Canvas onWhite(size, size, {1, 1, 1});
    const int half = size / 2;
    constexpr int colours[2][2] = {{1, 3}, {0, 2}}; // red, yellow over blue, green
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            for (Canvas* canvas : {&onBlack, &onWhite})
                paintGemlet(*canvas, column * half, row * half, colours[row][column], half);

    RgbaPicture picture{size, size, {}};
    picture.pixels.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const Colour black = onBlack.at(x, y);
            const float alpha = 1.0f - (onWhite.at(x, y).g - black.g);
            const Colour c = alpha > 0 ? scale(black, 1.0f / alpha) : black;
            for (float channel : {c.r, c.g, c.b, alpha})
                picture.pixels.push_back(toByte(channel));
        }
    return picture;
}

} // namespace gemlets::assets

// SPDX-License-Identifier: MIT
// An RGB picture in floating point, painted by the asset tool before it becomes a JPEG.
#pragma once

#include <cstddef>
#include <vector>

namespace gemlets::assets {

// Channels run from 0 to 1.
struct Colour {
    float r = 0;
    float g = 0;
    float b = 0;
};

Colour mix(Colour from, Colour to, float amount);
Colour scale(Colour c, float factor);

class Canvas {
public:
    Canvas(int width, int height, Colour fill);

    int width() const { return width_; }
    int height() const { return height_; }
    Colour at(int x, int y) const { return pixels_[index(x, y)]; }

    // Lays c over the pixel with the given opacity; pixels off the canvas are ignored.
    void blend(int x, int y, Colour c, float opacity);

private:
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }

    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

} // namespace gemlets::assets

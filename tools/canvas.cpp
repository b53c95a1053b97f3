// SPDX-License-Identifier: MIT
#include "tools/canvas.h"

#include <algorithm>
#include <cstddef>

namespace gemlets::assets {

Colour mix(Colour from, Colour to, float amount) {
    return {from.r + (to.r - from.r) * amount, from.g + (to.g - from.g) * amount,
            from.b + (to.b - from.b) * amount};
}

Colour scale(Colour c, float factor) {
    return {c.r * factor, c.g * factor, c.b * factor};
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

void Canvas::blend(int x, int y, Colour c, float opacity) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    Colour& pixel = pixels_[index(x, y)];
    pixel = mix(pixel, c, std::clamp(opacity, 0.0f, 1.0f));
}

} // namespace gemlets::assets

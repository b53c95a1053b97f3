// SPDX-License-Identifier: MIT
#include "model/random_colours.h"

namespace gemlets {

int RandomGenerator::random(int n) {
    const auto range = static_cast<std::uint32_t>(n);
    // Draws below this bound would make the low results more likely; none exist when n is a
    // power of two, as it is for the four colours.
    const std::uint32_t bound = (0u - range) % range;
    std::uint32_t draw = engine_();
    while (draw < bound)
        draw = engine_();
    return static_cast<int>(draw % range);
}

} // namespace gemlets

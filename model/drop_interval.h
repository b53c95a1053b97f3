// SPDX-License-Identifier: MIT
// How long the falling gemlets wait between two drop steps at each level.
#pragma once

#include <algorithm>
#include <chrono>

namespace gemlets {

// 1 - level/10 seconds: one second at level 0, no wait at all at level 10.
constexpr std::chrono::milliseconds dropInterval(int level) {
    return std::chrono::milliseconds(std::max(0, 1000 - 100 * level));
}

} // namespace gemlets

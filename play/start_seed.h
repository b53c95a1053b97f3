// SPDX-License-Identifier: MIT
// The seed of one run's pair colours.
#pragma once

#include <cstdint>

namespace gemlets {

// The millisecond clock alone is nearly the same at every start, so it is mixed with
// std::random_device.
std::uint32_t startSeed(std::uint32_t ticks);

} // namespace gemlets

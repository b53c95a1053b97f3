// SPDX-License-Identifier: MIT
#include "play/start_seed.h"

#include <array>
#include <chrono>
#include <random>

namespace gemlets {

std::uint32_t startSeed(std::uint32_t ticks) {
    std::array<std::uint32_t, 3> entropy{ticks, 0, 0};
    try {
        std::random_device device;
        entropy[1] = device();
        entropy[2] = device();
    } catch (const std::exception&) {
        // No entropy source: the clock's finer grain still varies from run to run.
        entropy[1] = static_cast<std::uint32_t>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count());
    }
    std::seed_seq mixer(entropy.begin(), entropy.end());
    std::uint32_t seed = 0;
    mixer.generate(&seed, &seed + 1);
    return seed;
}

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The colours of each new pair: a fixed engine, seeded by the caller, mapped to colour
// codes by our own code so that a seed gives the same pairs with every standard library.
#pragma once

#include <cstdint>
#include <random>

namespace gemlets {

class RandomGenerator {
public:
    explicit RandomGenerator(std::uint32_t seed) : engine_(seed) {}

    // A uniform integer from 0 to n - 1; n must be positive.
    int random(int n);

private:
    std::mt19937 engine_;
};

} // namespace gemlets

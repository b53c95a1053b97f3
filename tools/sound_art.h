// SPDX-License-Identifier: MIT
// Synthesises the game's sounds: short tones that start and end softly, so that none clicks
// and an hour of them does not tire. Mono 16-bit samples at soundRate (play/sound_file.h).
#pragma once

#include <cstdint>
#include <vector>

namespace gemlets::assets {

using Samples = std::vector<std::int16_t>;

// A soft, low knock.
Samples landSound();
// A bright chime, a step of the pentatonic scale higher at each step of the chain, from 1.
Samples clearSound(int step);
// Four notes rising.
Samples levelSound();
// Three notes falling, slower.
Samples gameOverSound();
// Two quiet notes, falling for a pause and rising when it ends.
Samples pauseSound();
Samples resumeSound();

} // namespace gemlets::assets

// SPDX-License-Identifier: MIT
// Turns samples into the bytes of a WAV file of 16-bit PCM, the form the game reads
// (play/sound_file.h).
#pragma once

#include "tools/sound_art.h"

#include <vector>

namespace gemlets::assets {

// Mono at soundRate.
std::vector<unsigned char> encodeWav(const Samples& samples);

} // namespace gemlets::assets

// SPDX-License-Identifier: MIT
#include "tools/wav_encoder.h"

#include "play/sound_file.h"

#include <cstdint>
#include <string_view>

namespace gemlets::assets {

namespace {

// Little-endian, as RIFF is.
void put(std::vector<unsigned char>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A byte at a time, as the numbers are: GCC 12 at -O3 takes a range insert into the empty
// vector for an overflow.
void put(std::vector<unsigned char>& bytes, std::string_view text) {
    for (const char c : text)
        bytes.push_back(static_cast<unsigned char>(c));
}

} // namespace

std::vector<unsigned char> encodeWav(const Samples& samples) {
    static_assert(soundChannels == 1 && soundBits == 16, "the samples are mono, of 16 bits");
    constexpr std::uint32_t frameBytes = soundChannels * soundBits / 8;
    const auto dataSize = static_cast<std::uint32_t>(samples.size() * sizeof(std::int16_t));
    std::vector<unsigned char> bytes;
    put(bytes, "RIFF");
    put(bytes, 36 + dataSize, 4);
    put(bytes, "WAVE");
    put(bytes, "fmt ");
    put(bytes, 16, 4);
    put(bytes, 1, 2); // PCM
    put(bytes, soundChannels, 2);
    put(bytes, soundRate, 4);
    put(bytes, soundRate * frameBytes, 4);
    put(bytes, frameBytes, 2);
    put(bytes, soundBits, 2);
    put(bytes, "data");
    put(bytes, dataSize, 4);
    for (const std::int16_t sample : samples)
        put(bytes, static_cast<std::uint16_t>(sample), 2);
    return bytes;
}

} // namespace gemlets::assets

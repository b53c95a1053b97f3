// SPDX-License-Identifier: MIT
// The sound files, read whole at start-up and checked to be WAV files of PCM samples, the one
// form that every platform's mixer plays: SDL_mixer on the desktop and the handheld, Web Audio
// in the page. The asset painter writes them in the form the game opens its mixer with.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gemlets {

// What the painter writes and the mixer is opened with: mono, 16-bit, at this rate, which keeps
// the tones' harmonics and half the bytes a first visit to the page waits for.
inline constexpr int soundRate = 11025;
inline constexpr int soundChannels = 1;
inline constexpr int soundBits = 16;

// A sound file that cannot be read or is no WAV file of PCM samples, with its name and why.
class SoundFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SoundFile {
    std::string bytes; // the whole file, as the mixer loads it
    int rate = 0;
    int channels = 0;
    int bits = 0;
    std::size_t dataOffset = 0; // where the samples start in bytes
    std::size_t dataSize = 0;   // and how many bytes they take

    std::chrono::milliseconds length() const;
};

// The file's text checked: a RIFF WAVE header, a "fmt " chunk of PCM (format 1) with 1 or 2
// channels of 8 or 16 bits, then a "data" chunk that the file holds whole. Throws
// SoundFileError naming `name`.
SoundFile soundFromBytes(std::string bytes, std::string_view name);

// The file at path, as above; one that cannot be opened or read names the system's reason.
SoundFile readSoundFile(const std::filesystem::path& path);

} // namespace gemlets

// SPDX-License-Identifier: MIT
#include "play/sound_file.h"

#include "model/read_file.h"

#include <cstdint>

namespace gemlets {

namespace {

// Little-endian, as RIFF is; the caller has checked that the bytes are there.
std::uint32_t word(const std::string& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

std::chrono::milliseconds SoundFile::length() const {
    const std::size_t frames = dataSize / static_cast<std::size_t>(channels * bits / 8);
    return std::chrono::milliseconds(frames * 1000 / static_cast<std::size_t>(rate));
}

SoundFile soundFromBytes(std::string bytes, std::string_view name) {
    const auto refuse = [&](const std::string& why) {
        return SoundFileError(std::string(name) + ": " + why);
    };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        throw refuse("not a WAV file (it does not start with RIFF and WAVE)");
    SoundFile sound;
    bool format = false;
    // Chunks: a name, a size, the contents padded to an even size.
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = word(bytes, at + 4, 4);
        at += 8;
        if (size > bytes.size() - at)
            throw refuse("its \"" + id + "\" chunk runs past the end of the file");
        if (id == "fmt ") {
            if (size < 16)
                throw refuse("its \"fmt \" chunk is too short");
            sound.channels = static_cast<int>(word(bytes, at + 2, 2));
            sound.rate = static_cast<int>(word(bytes, at + 4, 4));
            sound.bits = static_cast<int>(word(bytes, at + 14, 2));
            const std::uint32_t encoding = word(bytes, at, 2);
            if (encoding != 1 || sound.channels < 1 || sound.channels > 2 ||
                (sound.bits != 8 && sound.bits != 16) || sound.rate <= 0)
                throw refuse("format " + std::to_string(encoding) + ", " +
                             std::to_string(sound.channels) + " channels of " +
                             std::to_string(sound.bits) + " bits at " + std::to_string(sound.rate) +
                             " Hz: only PCM (format 1), 1 or 2 channels of 8 or 16 bits plays");
            format = true;
        } else if (id == "data") {
            if (!format)
                throw refuse("its samples come before their format (no \"fmt \" chunk first)");
            sound.dataOffset = at;
            sound.dataSize = size;
            sound.bytes = std::move(bytes);
            return sound;
        }
        at += size + size % 2;
    }
    throw refuse("it holds no samples (no \"data\" chunk)");
}

SoundFile readSoundFile(const std::filesystem::path& path) {
    FileText file = readFile(path);
    if (!file.failure.empty())
        throw SoundFileError(path.string() + ": " + file.failure);
    return soundFromBytes(std::move(file.text), path.string());
}

} // namespace gemlets

// SPDX-License-Identifier: MIT
// Plays a game's sounds (play/sound_cues.h) through SDL_mixer's API: Debian's SDL_mixer 1.2 on
// the desktop, a build of it with WAV alone on the handheld, emscripten's on Web Audio in the
// page. Every call stays on the thread that draws. No device, no sound: the game plays on in
// silence. While nothing sounds the device is paused, so that a resting game costs no more than
// one without sound.
#pragma once

#include "model/game.h"
#include "play/sound_cues.h"
#include "play/sound_file.h"

#include <SDL_mixer.h>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace gemlets {

struct ChunkDeleter {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

// Samples the mixer asks for at a time: 46 ms at soundRate, the latest a sound starts.
inline constexpr int soundBufferSamples = 512;

class SoundPlayer {
public:
    using Clock = std::chrono::steady_clock;

    // Reads every sound file from `folder` (the working folder when empty). Throws StartupError
    // naming a file that is missing or no WAV file of PCM samples. Silent until open.
    explicit SoundPlayer(const std::filesystem::path& folder = {});
    // The sounds freed, then the device closed.
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Opens the sound device (Mix_OpenAudio, mono 16-bit at soundRate) with SDL's audio
    // initialised, and loads the sounds into it. False, the player staying silent, when that
    // fails; the reason stays in SDL's error.
    bool open();
    bool isOpen() const { return !chunks_.empty(); }

    // From now on the game's events make sounds; the game outlives the player.
    void listen(Game& game);

    // Muted, what sounds stops and what comes is dropped.
    void mute(bool muted);
    // Muted for good and the device paused: once the game has ended.
    void stop();

    // Starts the sounds that are due by `now` and keeps those to come; once nothing sounds or
    // waits, pauses the device.
    void play(Clock::time_point now = Clock::now());

    // A sound is playing, or waiting for its time.
    bool sounding() const { return !waiting_.empty() || awake_; }

private:
    struct Waiting {
        Clock::time_point at;
        std::size_t sound; // in files_ and chunks_
    };

    std::vector<SoundFile> files_; // by soundFiles (assets/asset_names.h)
    std::vector<ChunkPtr> chunks_; // the same, loaded into the open mixer
    std::optional<SoundCues> cues_;
    std::vector<Waiting> waiting_;
    bool awake_ = false;          // the device is not paused
    Clock::time_point quietBy_{}; // when every sound started has surely ended
    bool muted_ = false;
};

} // namespace gemlets

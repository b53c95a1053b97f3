// SPDX-License-Identifier: MIT
#include "frontend/sound_player.h"

#include "assets/asset_names.h"
#include "frontend/resources.h"

#include <algorithm>
#include <string_view>

namespace gemlets {

namespace {

// Past a sound's end a mixer that has not said so (the page's, should the browser never end a
// sound) is told to stop it.
constexpr std::chrono::seconds overdue{1};

} // namespace

SoundPlayer::SoundPlayer(const std::filesystem::path& folder) {
    for (const char* file : soundFiles) {
        try {
            files_.push_back(readSoundFile(folder / file));
        } catch (const SoundFileError& error) {
            throw StartupError(error.what());
        }
    }
}

SoundPlayer::~SoundPlayer() {
    if (!isOpen())
        return;
    chunks_.clear();
    Mix_CloseAudio();
}

bool SoundPlayer::open() {
    if (isOpen())
        return true;
    if (Mix_OpenAudio(soundRate, AUDIO_S16SYS, soundChannels, soundBufferSamples) != 0)
        return false;
    for (const SoundFile& file : files_) {
        ChunkPtr chunk(Mix_LoadWAV_RW(
            SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())), 1));
        if (!chunk) {
            chunks_.clear();
            Mix_CloseAudio();
            return false;
        }
        chunks_.push_back(std::move(chunk));
    }
    // Mix_OpenAudio starts the device; the first play puts it to rest.
    awake_ = true;
    return true;
}

void SoundPlayer::listen(Game& game) {
    cues_.emplace(game);
}

void SoundPlayer::mute(bool muted) {
    muted_ = muted;
    if (!muted || !isOpen())
        return;
    waiting_.clear();
    Mix_HaltChannel(-1);
}

void SoundPlayer::stop() {
    mute(true);
    if (awake_)
        SDL_PauseAudio(1);
    awake_ = false;
}

void SoundPlayer::play(Clock::time_point now) {
    if (cues_) {
        for (const Cue& cue : cues_->take()) {
            if (!isOpen() || muted_)
                continue;
            const auto file =
                std::find(soundFiles.begin(), soundFiles.end(), std::string_view(cue.file));
            waiting_.push_back(
                {now + cue.delay, static_cast<std::size_t>(file - soundFiles.begin())});
        }
    }
    bool started = false;
    std::erase_if(waiting_, [&](const Waiting& sound) {
        if (sound.at > now)
            return false;
        Mix_PlayChannel(-1, chunks_.at(sound.sound).get(), 0);
        quietBy_ = std::max(quietBy_, now + files_[sound.sound].length() + overdue);
        started = true;
        return true;
    });
    if (started && !awake_) {
        SDL_PauseAudio(0);
        awake_ = true;
    }
    if (started || !awake_ || !waiting_.empty())
        return;
    if (now > quietBy_)
        Mix_HaltChannel(-1);
    if (Mix_Playing(-1) == 0) {
        SDL_PauseAudio(1);
        awake_ = false;
    }
}

} // namespace gemlets

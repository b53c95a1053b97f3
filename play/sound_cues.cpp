// SPDX-License-Identifier: MIT
#include "play/sound_cues.h"

#include "assets/asset_names.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace gemlets {

namespace {

int landedOfPair(const Game& game) {
    int landed = 0;
    for (const GemletPtr& g : {game.first, game.second})
        landed += g && gemletState(*g) == GemletState::landed;
    return landed;
}

} // namespace

const char* clearSoundFile(int step) {
    const std::size_t index = static_cast<std::size_t>(std::max(step, 1) - 1);
    return clearSoundFiles[std::min(index, clearSoundFiles.size() - 1)];
}

SoundCues::SoundCues(Game& game) : game_(game), watching_(game, *this) {}

void SoundCues::entered(const Event& event, const Game& game) {
    const std::size_t before = cues_.size();
    // A gemlet of the pair touching down: both at once make one sound, a split pair two.
    const int landed = landedOfPair(game);
    if (landed > pairLanded_)
        cues_.push_back({landSoundFile});
    pairLanded_ = landed;
    std::chrono::milliseconds at{};
    if (event.kind == EventKind::turn) {
        for (std::size_t step = 0; step < game.chainGroups.size(); ++step) {
            for (int group = 0; group < game.chainGroups[step]; ++group) {
                cues_.push_back({clearSoundFile(static_cast<int>(step) + 1), at});
                at += clearGap;
            }
        }
    }
    // After the groups that raised it.
    if (game.level > level_)
        cues_.push_back({levelSoundFile, at});
    level_ = game.level;
    const State state = game.state;
    if (state == State::gameover && state_ != State::gameover)
        cues_.push_back({gameoverSoundFile});
    if (state == State::pause && state_ != State::pause)
        cues_.push_back({pauseSoundFile});
    if (state == State::unpause && state_ == State::pause)
        cues_.push_back({resumeSoundFile});
    state_ = state;
    if (cues_.size() > before)
        heard_ = true;
}

std::vector<Cue> SoundCues::take() {
    if (!heard_.exchange(false))
        return {};
    std::scoped_lock lock(game_.lock);
    return std::exchange(cues_, {});
}

} // namespace gemlets

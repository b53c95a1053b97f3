// SPDX-License-Identifier: MIT
// What a game sounds like: a watcher of its events (play/game_events.h) that decides, from each
// event and the game after it, which sounds start and when. A pair landing; each group cleared,
// one after another, higher with each step of the chain; a new level after them; game over; a
// pause and its end. A replay enters the same events, so a watched replay sounds as its game
// did. The playing is the platform's (frontend/sound_player.h).
#pragma once

#include "model/game.h"
#include "play/game_events.h"

#include <atomic>
#include <chrono>
#include <string_view>
#include <vector>

namespace gemlets {

// A sound to start `delay` after the event that asked for it.
struct Cue {
    const char* file = nullptr; // one of soundFiles (assets/asset_names.h)
    std::chrono::milliseconds delay{};

    // By name: one file's name may stand at two addresses, one in each object file (as
    // sanitized builds keep them).
    bool operator==(const Cue& other) const {
        return (file && other.file ? std::string_view(file) == other.file : file == other.file) &&
               delay == other.delay;
    }
};

// Between two groups cleared in one turn: each is heard, and a chain climbs step by step.
inline constexpr std::chrono::milliseconds clearGap{110};

// The file of a group cleared at `step` of its chain, from 1: the last one past the files.
const char* clearSoundFile(int step);

// Watches `game` for its life (it must outlive it); the cues it hears wait for take.
class SoundCues : public GameWatcher {
public:
    explicit SoundCues(Game& game);

    void entered(const Event& event, const Game& game) override;

    // The cues heard since the last take, in order; takes the game's lock only when there
    // are any, so that a main loop may ask at every iteration.
    std::vector<Cue> take();

private:
    Game& game_;
    std::vector<Cue> cues_; // under the game's lock
    std::atomic<bool> heard_ = false;
    // The game as the last event left it.
    State state_ = State::none;
    int level_ = startLevel;
    int pairLanded_ = 0; // of the falling pair's two gemlets
    Watching watching_;  // last: the rest is ready before the first event comes
};

} // namespace gemlets

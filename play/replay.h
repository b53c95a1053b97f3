// SPDX-License-Identifier: MIT
// Replays: a game written down as it is played (its seed, its starting field and every event
// in the order it took the game-state lock, play/README.md), read back, and played again
// through the same door (play/game_events.h), with the field, score and level checked after
// every turn step.
#pragma once

#include "model/game.h"
#include "model/random_colours.h"
#include "play/game_events.h"
#include "play/replay_codec.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace gemlets {

Replay readReplay(const std::filesystem::path& path);

// Writes a replay of the game it watches (watchGame) to out: the header at once, and the
// events as they come, handed to out and flushed at every turn step, so that a game that is
// killed keeps everything up to its last turn.
class Recorder : public GameWatcher {
public:
    using Clock = std::chrono::steady_clock;

    // Times are the clock's readings since the one at the start.
    Recorder(TextOut out, std::uint32_t seed,
             std::function<Clock::time_point()> clock = Clock::now);
    void entered(const Event& event, const Game& game) override;
    // The events since the last turn step and the end; once the game's run is over.
    void finish();
    // Everything recorded so far, written or not, as the file will hold it (the page's copy).
    std::string text();

private:
    void appendDrops();
    void write();

    TextOut out_;
    std::function<Clock::time_point()> clock_;
    Clock::time_point start_;
    ReplayWriter writer_;     // everything recorded
    std::size_t written_ = 0; // how much of it out has
    // Drop steps come back to back at level 10: those of one millisecond make one line.
    long dropTime_ = 0;
    int drops_ = 0;
    bool finished_ = false;
};

// Plays a replay on a game from its start, up to a given time.
class ReplayPlayer {
public:
    enum class Verdict { playing, done, differs, impossible };

    // Starts `game` as the recorded game started. The replay and the game must outlive it.
    ReplayPlayer(const Replay& replay, Game& game);

    // Enters every event due by `time` (milliseconds since the start) under the game's lock;
    // stops at the first that cannot happen or whose turn step leaves another field, score or
    // level than recorded, which the verdict and problem() then tell.
    Verdict playUntil(long time);
    Verdict verdict() const { return verdict_; }
    const std::string& problem() const { return problem_; }

private:
    const Replay& replay_;
    Game& game_;
    RandomGenerator random_;
    std::size_t next_ = 0;
    Verdict verdict_ = Verdict::playing;
    std::string problem_;
};

// --replay FILE --check: plays the replay at once, with the game's standard output on out.
// 0 when every turn matches, 1 at the first that does not, 2 for a file that cannot be
// played (nothing is written on out then); what went wrong goes to err.
int checkReplay(const std::filesystem::path& path, TextOut out, TextOut err);

// Before a replay is watched: played once unseen, at once, so that nothing shows of one that
// cannot be played. As checkReplay, but with the game's output thrown away.
int playUnseen(const Replay& replay, TextOut err);

} // namespace gemlets

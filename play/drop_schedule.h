// SPDX-License-Identifier: MIT
// The drop task's rules without a clock or a thread: given the time, it makes the drop step
// that is due and says when it next needs to run. The desktop's thread and the page's main
// loop both drive it, each with its own clock.
#pragma once

#include "model/game.h"

#include <chrono>
#include <functional>
#include <optional>

namespace gemlets {

// How long the task waits before a drop step at a given level.
using IntervalFunction = std::function<std::chrono::milliseconds(int level)>;

// One gravity step under the game-state lock: dropGemlets, and `newGemlets` when it reports
// that every gemlet has landed and the state is `unpause`.
void dropStep(Game& game);

class DropSchedule {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // What the schedule waits for before it has anything to do.
    enum class Wait {
        time,     // until `at`, or at once when `at` has passed
        pauseEnd, // the player's pause to end
        quit,     // the run to end: after game over nothing falls any more
        nothing,  // the run has ended
    };
    struct Next {
        Wait wait;
        TimePoint at{};
    };

    // The game must outlive it.
    DropSchedule(Game& game, IntervalFunction interval);

    // At most one drop step, the one due by `now`; then, unless paused, over or ended, the
    // next interval begins at `now` if none is under way. A pause or a game over that begins
    // mid-interval still lets the drop at its end happen.
    Next run(TimePoint now);

private:
    Game& game_;
    IntervalFunction interval_;
    std::optional<TimePoint> due_;
    // Nothing leaves game over: once seen, no interval begins again.
    bool over_ = false;
};

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The drop task: beside the main loop it lowers every falling gemlet one row per drop
// interval and tells the main loop, through `newGemlets`, when everything has landed.
#pragma once

#include "model/drop_interval.h"
#include "model/game.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace gemlets {

// How long the task waits before a drop step at a given level.
using IntervalFunction = std::function<std::chrono::milliseconds(int level)>;

// How long a paused task waits before it looks at the state again unwoken. Ending the
// player's pause wakes it at once; this only bounds the wait should a caller change the
// state without calling wake().
inline constexpr std::chrono::milliseconds pausedLookInterval{50};

// One gravity step under the game-state lock: dropGemlets, and `newGemlets` when it reports
// that every gemlet has landed and the state is `unpause`.
void dropStep(Game& game);

// Owns the thread that runs dropGemletThread. The game must outlive it.
class DropTask {
public:
    explicit DropTask(Game& game, IntervalFunction interval = dropInterval);
    // Ends the game's run and joins, so that no step can outlive the game.
    ~DropTask();

    DropTask(const DropTask&) = delete;
    DropTask& operator=(const DropTask&) = delete;

    // Starts the thread; game.run and game.state must already be set.
    void start();

    // Call after changing game.run or game.state so that a waiting task looks again at once.
    void wake();

    // Sets game.run to false, wakes the task and waits for it to end. Safe to call twice;
    // never with game.lock held, which the task may be waiting for.
    void stop();

private:
    // Repeats: end once run is false; wait while paused; after game over only wait for quit;
    // wait one interval, ending at once if quit wakes it; one drop step.
    void dropGemletThread();

    State settledState();

    // Waits up to `duration` on the wake-up condition; true when `done` holds.
    template <class Predicate> bool waitFor(std::chrono::milliseconds duration, Predicate done);

    Game& game_;
    IntervalFunction interval_;
    // Guards no game data: it only pairs with wakeUp_ so that no wake-up is lost.
    std::mutex wakeMutex_;
    std::condition_variable wakeUp_;
    std::thread thread_;
};

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The drop task: beside the main loop it lowers every falling gemlet one row per drop
// interval and tells the main loop, through `newGemlets`, when everything has landed. Its
// rules are the drop schedule's; a thread of its own drives them on the desktop, the main
// loop's iterations in the page.
#pragma once

#include "model/drop_interval.h"
#include "model/game.h"
#include "play/drop_schedule.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace gemlets {

// How long a paused task waits before it looks at the state again unwoken. Ending the
// player's pause wakes it at once; this only bounds the wait should a caller change the
// state without calling wake().
inline constexpr std::chrono::milliseconds pausedLookInterval{50};

// What runs the schedule: the task's own thread, or its caller through run() (a page has
// one thread only).
enum class DropDriver { thread, caller };

// Owns the thread that runs dropGemletThread. The game must outlive it.
class DropTask {
public:
    explicit DropTask(Game& game, IntervalFunction interval = dropInterval,
                      DropDriver driver = DropDriver::thread);
    // Ends the game's run and joins, so that no step can outlive the game.
    ~DropTask();

    DropTask(const DropTask&) = delete;
    DropTask& operator=(const DropTask&) = delete;

    // Starts the thread, or with the caller driving begins the first interval;
    // game.run and game.state must already be set.
    void start();

    // Call after changing game.run or game.state so that a waiting task looks again at once.
    void wake();

    // Sets game.run to false, wakes the task and waits for it to end. Safe to call twice;
    // never with game.lock held, which the task may be waiting for.
    void stop();

    // With the caller driving: the drop step due by `now`, and when to call again. Never
    // with game.lock held.
    DropSchedule::Next run(DropSchedule::TimePoint now);

private:
    // Runs the schedule, waiting between its calls for what it says it waits for.
    void dropGemletThread();

    // Waits up to `duration` on the wake-up condition; true when `done` holds.
    template <class Predicate> bool waitFor(std::chrono::milliseconds duration, Predicate done);

    Game& game_;
    DropSchedule schedule_;
    DropDriver driver_;
    // Guards no game data: it only pairs with wakeUp_ so that no wake-up is lost.
    std::mutex wakeMutex_;
    std::condition_variable wakeUp_;
    std::thread thread_;
};

} // namespace gemlets

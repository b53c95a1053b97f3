// SPDX-License-Identifier: MIT
#include "play/drop_task.h"

#include "model/gravity.h"

namespace gemlets {

void dropStep(Game& game) {
    // Covers the gravity step and the state it reports, so that the turn step never sees a
    // half-moved pair or a landing announced for a list that has changed since.
    std::scoped_lock lock(game.lock);
    // Only from `unpause`: a player's pause or a game over is never overwritten; a paused
    // landing is announced by the first step after the player resumes.
    State expected = State::unpause;
    if (dropGemlets(game) == 0)
        game.state.compare_exchange_strong(expected, State::newGemlets);
}

DropTask::DropTask(Game& game, IntervalFunction interval)
    : game_(game), interval_(std::move(interval)) {}

DropTask::~DropTask() {
    stop();
}

void DropTask::start() {
    thread_ = std::thread([this] { dropGemletThread(); });
}

void DropTask::wake() {
    // Taking the mutex orders the caller's flag change before the waiter's next look at it.
    { std::scoped_lock lock(wakeMutex_); }
    wakeUp_.notify_all();
}

void DropTask::stop() {
    game_.run = false;
    wake();
    if (thread_.joinable())
        thread_.join();
}

template <class Predicate>
bool DropTask::waitFor(std::chrono::milliseconds duration, Predicate done) {
    std::unique_lock lock(wakeMutex_);
    return wakeUp_.wait_for(lock, duration, done);
}

State DropTask::settledState() {
    // Read under the lock: the short pause that a move or a clearing holds while it works
    // is then never seen, only the player's, whose end wakes the task.
    std::scoped_lock lock(game_.lock);
    return game_.state;
}

void DropTask::dropGemletThread() {
    const auto quit = [this] {
        return !game_.run;
    };
    const auto pauseOver = [this] {
        return !game_.run || game_.state != State::pause;
    };
    while (game_.run) {
        const State state = settledState();
        if (state == State::gameover) {
            // Nothing falls any more and nothing leaves game over: wait for quit alone.
            std::unique_lock lock(wakeMutex_);
            wakeUp_.wait(lock, quit);
            return;
        }
        if (state == State::pause) {
            waitFor(pausedLookInterval, pauseOver);
            continue;
        }
        const std::chrono::milliseconds interval = interval_(game_.level);
        if (interval > std::chrono::milliseconds::zero()) {
            // A pause that begins now still lets the drop at the end of the interval happen;
            // only quit cuts the interval short.
            if (waitFor(interval, quit))
                return;
        } else {
            // No interval at level 10: std::mutex is not fair, so give the main loop a
            // chance at the game-state lock between two back-to-back steps.
            std::this_thread::yield();
        }
        dropStep(game_);
    }
}

} // namespace gemlets

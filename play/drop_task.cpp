// SPDX-License-Identifier: MIT
#include "play/drop_task.h"

namespace gemlets {

DropTask::DropTask(Game& game, IntervalFunction interval, DropDriver driver)
    : game_(game), schedule_(game, std::move(interval)), driver_(driver) {}

DropTask::~DropTask() {
    stop();
}

void DropTask::start() {
    if (driver_ == DropDriver::caller)
        schedule_.run(std::chrono::steady_clock::now());
    else
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

DropSchedule::Next DropTask::run(DropSchedule::TimePoint now) {
    return schedule_.run(now);
}

template <class Predicate>
bool DropTask::waitFor(std::chrono::milliseconds duration, Predicate done) {
    std::unique_lock lock(wakeMutex_);
    return wakeUp_.wait_for(lock, duration, done);
}

void DropTask::dropGemletThread() {
    using Clock = std::chrono::steady_clock;
    const auto quit = [this] {
        return !game_.run;
    };
    const auto pauseOver = [this] {
        return !game_.run || game_.state != State::pause;
    };
    for (;;) {
        const DropSchedule::Next next = schedule_.run(Clock::now());
        switch (next.wait) {
        case DropSchedule::Wait::nothing:
            return;
        case DropSchedule::Wait::quit: {
            std::unique_lock lock(wakeMutex_);
            wakeUp_.wait(lock, quit);
            return;
        }
        case DropSchedule::Wait::pauseEnd:
            waitFor(pausedLookInterval, pauseOver);
            break;
        case DropSchedule::Wait::time:
            if (next.at > Clock::now()) {
                // Only quit cuts an interval short: a pause that begins now still lets the
                // drop at its end happen.
                std::unique_lock lock(wakeMutex_);
                if (wakeUp_.wait_until(lock, next.at, quit))
                    return;
            } else {
                // No interval at level 10: std::mutex is not fair, so give the main loop a
                // chance at the game-state lock between two back-to-back steps.
                std::this_thread::yield();
            }
            break;
        }
    }
}

} // namespace gemlets

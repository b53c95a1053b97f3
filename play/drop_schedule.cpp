// SPDX-License-Identifier: MIT
#include "play/drop_schedule.h"

#include "play/game_events.h"

namespace gemlets {

void dropStep(Game& game) {
    // Covers the gravity step and the state it reports, so that the turn step never sees a
    // half-moved pair or a landing announced for a list that has changed since.
    enterGame(game, eventOf(EventKind::drop));
}

DropSchedule::DropSchedule(Game& game, IntervalFunction interval)
    : game_(game), interval_(std::move(interval)) {}

DropSchedule::Next DropSchedule::run(TimePoint now) {
    if (!game_.run)
        return {Wait::nothing};
    if (due_ && now >= *due_) {
        due_.reset();
        dropStep(game_);
        if (!game_.run)
            return {Wait::nothing};
    }
    if (over_)
        return {Wait::quit};
    if (!due_) {
        State state;
        {
            // Read under the lock: the short pause that a move or a clearing holds while it
            // works is then never seen, only the player's.
            std::scoped_lock lock(game_.lock);
            state = game_.state;
        }
        over_ = state == State::gameover;
        if (over_)
            return {Wait::quit};
        if (state == State::pause)
            return {Wait::pauseEnd};
        due_ = now + interval_(game_.level);
    }
    return {Wait::time, *due_};
}

} // namespace gemlets

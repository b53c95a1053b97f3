// SPDX-License-Identifier: MIT
// The drop rules on a fake clock: when a step falls due, what a pause, a game over and quit
// do to the interval under way, and what the schedule then waits for.
#include "model/drop_interval.h"
#include "model/game_start.h"
#include "play/drop_schedule.h"

#include <gtest/gtest.h>
#include <vector>

namespace gemlets {
namespace {

using namespace std::chrono_literals;
using Wait = DropSchedule::Wait;

// Before the schedule runs at `at`: the state to set first (if any), the level, and whether
// the run has ended.
struct Call {
    std::chrono::milliseconds at;
    std::optional<State> set;
    Wait wait;
    std::chrono::milliseconds next{}; // for Wait::time
    int steps;                        // drop steps made so far
    int level = 0;
    bool quit = false;
};

const std::vector<std::pair<const char*, std::vector<Call>>> cases{
    {"paused from the start: nothing falls, and a full interval after the resume",
     {{0ms, State::pause, Wait::pauseEnd, {}, 0}, {3000ms, State::unpause, Wait::time, 4000ms, 0}}},
    {"one step per interval, none early",
     {{0ms, {}, Wait::time, 1000ms, 0},
      {999ms, {}, Wait::time, 1000ms, 0},
      {1000ms, {}, Wait::time, 2000ms, 1},
      {2300ms, {}, Wait::time, 3300ms, 2}}},
    {"the level read as an interval begins",
     {{0ms, {}, Wait::time, 500ms, 0, 5},
      {500ms, {}, Wait::time, 500ms, 1, 10},
      {500ms, {}, Wait::time, 500ms, 2, 10}}},
    {"a pause mid-interval still lets its drop happen; after it a full interval",
     {{0ms, {}, Wait::time, 1000ms, 0},
      {400ms, State::pause, Wait::time, 1000ms, 0},
      {1000ms, {}, Wait::pauseEnd, {}, 1},
      {5000ms, {}, Wait::pauseEnd, {}, 1},
      {5200ms, State::unpause, Wait::time, 6200ms, 1}}},
    {"game over mid-interval: its drop, then nothing ever again",
     {{0ms, {}, Wait::time, 1000ms, 0},
      {300ms, State::gameover, Wait::time, 1000ms, 0},
      {1000ms, {}, Wait::quit, {}, 1},
      {9000ms, State::unpause, Wait::quit, {}, 1}}},
    {"quit mid-interval ends it without its step",
     {{0ms, {}, Wait::time, 1000ms, 0}, {1000ms, {}, Wait::nothing, {}, 0, 0, true}}},
};

TEST(DropScheduleTest, StepsFallDueByTheseRules) {
    for (const auto& [name, calls] : cases) {
        SCOPED_TRACE(name);
        Game game{TextOut()};
        startGame(game);
        const int startY = game.first->y.value();
        DropSchedule schedule(game, dropInterval);
        const DropSchedule::TimePoint zero{};
        for (const Call& call : calls) {
            SCOPED_TRACE(call.at.count());
            if (call.set)
                game.state = *call.set;
            game.level = call.level;
            game.run = !call.quit;
            const DropSchedule::Next next = schedule.run(zero + call.at);
            EXPECT_EQ(next.wait, call.wait);
            if (call.wait == Wait::time) {
                EXPECT_EQ(next.at - zero, call.next);
            }
            EXPECT_EQ(game.first->y.value() - startY, call.steps);
        }
    }
}

} // namespace
} // namespace gemlets

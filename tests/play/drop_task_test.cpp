// SPDX-License-Identifier: MIT
// The drop task on its own thread with the game's own intervals: how fast the pair falls, when
// it does not, and what ends the task. Its rules on a clock of the test's own:
// drop_schedule_test.cpp.
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "tests/field_fixture.h"

#include <gtest/gtest.h>
#include <optional>
#include <sstream>

namespace gemlets {
namespace {

using namespace std::chrono_literals;

// The intervals a player sees are written out here. No step while paused or after game over;
// the first one an interval after the start or the end of a pause, then one an interval; none
// after quit, which ends an interval at once. A step never comes early; a loaded machine may
// make one late, but not by a level's tenth of a second.
TEST(DropTaskTest, ThePairFallsARowAnIntervalOfItsLevelFromTheStartOrAResumeUntilQuit) {
    using Clock = std::chrono::steady_clock;
    const struct {
        int level;
        State from;
        std::optional<Command> then; // 150 ms after the start
        int steps;
        std::chrono::milliseconds interval;
    } cases[] = {{0, State::unpause, std::nullopt, 1, 1000ms},
                 {9, State::pause, Command::togglePause, 3, 100ms},
                 {5, State::pause, Command::moveLeft, 2, 500ms},
                 {9, State::gameover, std::nullopt, 0, 100ms},
                 {0, State::unpause, Command::quit, 0, 1000ms}};
    for (const auto& c : cases) {
        std::ostringstream out;
        Game game{out};
        startGame(game);
        game.level = c.level;
        game.state = c.from;
        DropTask task(game);
        const auto row = [&] {
            std::scoped_lock lock(game.lock);
            return *gemletY(*game.second);
        };
        const int first = row();
        Clock::time_point start = Clock::now();
        task.start();
        std::this_thread::sleep_for(150ms);
        EXPECT_EQ(row(), first) << "a step in state " << static_cast<int>(c.from);
        if (c.then) {
            start = Clock::now();
            applyCommand(game, task, *c.then);
        }
        for (int step = 1; step <= c.steps; ++step) {
            while (row() < first + step)
                std::this_thread::sleep_for(1ms);
            EXPECT_GE(Clock::now() - start, step * c.interval) << "level " << c.level;
        }
        if (c.steps > 0) {
            EXPECT_LT(Clock::now() - start, c.steps * (c.interval + 90ms)) << "level " << c.level;
        }
        task.stop();
        EXPECT_EQ(row(), first + c.steps) << "a step after quit, level " << c.level;
        EXPECT_TRUE(c.then != Command::quit || Clock::now() - start < c.interval / 2)
            << "quit waited out the interval";
    }
}

} // namespace
} // namespace gemlets

// SPDX-License-Identifier: MIT
// The drop task on its own thread: what wakes it, when it takes no step, and how fast the pair
// falls with the game's own intervals.
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

class DropTaskTest : public ::testing::Test {
protected:
    DropTaskTest() { startGame(game); }

    // An interval function that counts the intervals the task begins.
    IntervalFunction counted(std::chrono::milliseconds interval) {
        return [this, interval](int) {
            ++intervals;
            return interval;
        };
    }

    void waitForIntervals(int count) {
        while (intervals < count)
            std::this_thread::sleep_for(1ms);
    }

    std::ostringstream out;
    Game game{out};
    std::atomic<int> intervals = 0;
};

// An hour-long interval: without the wake-up the join would outlast the test's timeout.
TEST_F(DropTaskTest, QuitEndsTheTaskMidIntervalWithoutAnotherStep) {
    DropTask task(game, counted(1h));
    task.start();
    waitForIntervals(1);
    const std::string before = fixture::fieldPicture(game);
    applyCommand(game, task, Command::quit);
    task.stop();
    EXPECT_EQ(fixture::fieldPicture(game), before) << "a drop step ran after quit";
}

TEST_F(DropTaskTest, WhilePausedOrAfterGameOverTheTaskTakesNoStep) {
    for (const State waiting : {State::pause, State::gameover}) {
        intervals = 0;
        game.run = true; // the last stop() ended the run
        game.state = waiting;
        DropTask task(game, counted(0ms));
        task.start();
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(intervals, 0) << "state " << static_cast<int>(waiting);
        game.state = State::unpause;
        task.wake();
        if (waiting == State::pause)
            waitForIntervals(1); // the end of the pause starts the next interval
        task.stop();
    }
}

// The task as the game makes it, with the intervals a player sees written out here: the first
// step one interval after the start or the end of a pause, then one an interval. A step never
// comes early; a loaded machine may make one late, but not by a level's tenth of a second.
TEST(DropTiming, ThePairFallsARowAnIntervalOfItsLevelFromTheStartAndFromAResume) {
    using Clock = std::chrono::steady_clock;
    const struct {
        int level;
        std::optional<Command> resume; // ends a pause the task started in
        int steps;
        std::chrono::milliseconds interval;
    } cases[] = {{0, std::nullopt, 1, 1000ms},
                 {5, Command::togglePause, 2, 500ms},
                 {9, Command::moveLeft, 5, 100ms}};
    for (const auto& c : cases) {
        std::ostringstream out;
        Game game{out};
        startGame(game);
        game.level = c.level;
        game.state = c.resume ? State::pause : State::unpause;
        DropTask task(game);
        const auto row = [&] {
            std::scoped_lock lock(game.lock);
            return *gemletY(*game.second);
        };
        Clock::time_point start = Clock::now();
        task.start();
        if (c.resume) {
            std::this_thread::sleep_for(150ms);
            start = Clock::now();
            applyCommand(game, task, *c.resume);
        }
        for (int step = 1, from = row(); step <= c.steps; ++step, ++from) {
            while (row() == from)
                std::this_thread::sleep_for(1ms);
            EXPECT_GE(Clock::now() - start, step * c.interval) << "level " << c.level;
        }
        EXPECT_LT(Clock::now() - start, c.steps * (c.interval + 90ms)) << "level " << c.level;
    }
}

} // namespace
} // namespace gemlets

// SPDX-License-Identifier: MIT
// The drop task on its own thread: quit wakes it mid-interval. Its rules are the drop
// schedule's (drop_schedule_test.cpp).
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "tests/play/field_fixture.h"

#include <gtest/gtest.h>
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

} // namespace
} // namespace gemlets

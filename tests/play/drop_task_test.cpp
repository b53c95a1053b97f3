// SPDX-License-Identifier: MIT
// The drop task on its own thread. Its rules (when a step falls due, pauses, game over) are
// drop_schedule_test.cpp's on a clock of the test's own; whole games beside the thread are the
// soak's. What only the real thread shows: quit wakes it in the middle of an interval.
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "tests/field_fixture.h"

#include <gtest/gtest.h>

namespace gemlets {
namespace {

using namespace std::chrono_literals;

// Escape at level 0, 150 ms into the first second's interval: the task ends at once, without
// the step at the interval's end.
TEST(DropTaskTest, QuitEndsTheIntervalUnderWayAtOnceWithoutItsStep) {
    Game game{TextOut()};
    startGame(game);
    DropTask task(game);
    const auto row = [&] {
        std::scoped_lock lock(game.lock);
        return *gemletY(*game.second);
    };
    const int first = row();
    task.start();
    std::this_thread::sleep_for(150ms);
    const auto quitAt = std::chrono::steady_clock::now();
    applyCommand(game, task, Command::quit);
    task.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - quitAt, dropInterval(0) / 2)
        << "quit waited out the interval";
    EXPECT_EQ(row(), first) << "a step after quit";
}

} // namespace
} // namespace gemlets

// The drop task on its own thread: quit and pause wake-ups, and fairness at level 10. Figures
// are recorded as test properties (--gtest_output=json shows them). The paused task's processor
// time is measured by the timing tests.
#include "frontend/commands.h"
#include "frontend/drop_task.h"
#include "frontend/game_start.h"
#include "tests/frontend/field_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using fixture::fieldPicture;
using fixture::milliseconds;

// Generous: two cores, shared with other builds and tests.
constexpr auto patience = 10s;

template <class Condition> bool waitUntil(Condition condition) {
    for (const auto deadline = Clock::now() + patience; !condition();) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class DropTaskTest : public ::testing::Test {
protected:
    DropTaskTest() { startGame(game); }

    // An interval function that counts the waits and notes when the latest began.
    IntervalFunction probe(std::chrono::milliseconds interval) {
        return [this, interval](int) {
            intervalBegan = Clock::now().time_since_epoch().count();
            ++intervals;
            return interval;
        };
    }

    std::ostringstream out;
    Game game{out};
    std::atomic<int> intervals = 0;
    std::atomic<Clock::rep> intervalBegan = 0;
};

TEST_F(DropTaskTest, QuitEndsTheTaskMidIntervalWithoutAnotherStep) {
    DropTask task(game, probe(1h));
    task.start();
    ASSERT_TRUE(waitUntil([&] { return intervals == 1; }));
    const std::string before = fieldPicture(game);
    const auto quitAt = Clock::now();
    applyCommand(game, task, Command::quit);
    task.stop();
    const auto took = Clock::now() - quitAt;
    RecordProperty("quit_to_join_ms", std::to_string(milliseconds(took)));
    EXPECT_LT(took, 1s) << "the task slept through quit";
    EXPECT_EQ(fieldPicture(game), before) << "a drop step ran after quit";
}

TEST_F(DropTaskTest, PausedNoIntervalBeginsAndUnpauseStartsOneAtOnce) {
    game.state = State::pause;
    DropTask task(game, probe(1h));
    task.start();
    std::this_thread::sleep_for(200ms); // into the paused wait, which the unpause must cut short
    EXPECT_EQ(intervals, 0) << "an interval began while paused";

    const auto unpausedAt = Clock::now().time_since_epoch().count();
    applyCommand(game, task, Command::togglePause);
    ASSERT_TRUE(waitUntil([&] { return intervals == 1; }));
    const auto delay = Clock::duration(intervalBegan - unpausedAt);
    RecordProperty("unpause_to_interval_ms", std::to_string(milliseconds(delay)));
    EXPECT_LT(delay, 500ms);
}

TEST_F(DropTaskTest, AtLevelTenTheMainLoopStillGetsTheLock) {
#ifdef __SANITIZE_THREAD__
    // ThreadSanitizer runs its own lock and scheduling, so what this measures is the tool's
    // fairness, not the game's; the data races are what that build is for.
    GTEST_SKIP() << "a fairness measurement, meaningless under ThreadSanitizer";
#endif
    // A full field: every step sorts and rebuilds the field for each of 72 gemlets.
    fixture::layOut(game, "000000\n111111\n222222\n333333\n000000\n111111\n"
                          "222222\n333333\n000000\n111111\n222222\n333333\n");
    game.level = 10;
    DropTask task(game);
    task.start();
    // Frames as the main loop draws them: the lock for a while, then a while without it
    // (the flip). Putting back `gameover` each time lets the task's steps be seen.
    const auto busyFor = [](Clock::duration d) {
        for (const auto end = Clock::now() + d; Clock::now() < end;) {
        }
    };
    constexpr int frames = 1000;
    int frame = 0;
    int landingsSeen = 0;
    Clock::duration longestWait{};
    const auto start = Clock::now();
    for (; frame < frames && Clock::now() - start < patience; ++frame) {
        const auto asked = Clock::now();
        {
            std::scoped_lock lock(game.lock);
            longestWait = std::max(longestWait, Clock::now() - asked);
            landingsSeen += game.state == State::newGemlets ? 1 : 0;
            game.state = State::gameover;
            busyFor(100us);
        }
        busyFor(300us);
    }
    const auto took = Clock::now() - start;
    task.stop();
    RecordProperty("level10_1000_frames_ms", std::to_string(milliseconds(took)));
    RecordProperty("level10_longest_wait_ms", std::to_string(milliseconds(longestWait)));
    EXPECT_EQ(frame, frames) << "only " << frame << " frames got the lock in " << milliseconds(took)
                             << " ms";
    EXPECT_GT(landingsSeen, 0) << "the task made no step";
}

} // namespace
} // namespace gemlets

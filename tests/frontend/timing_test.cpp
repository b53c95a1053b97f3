// What players feel, timed on SDL's dummy video driver: how soon Escape ends the game, how soon
// the first frame shows, and how little a paused drop task costs. The limits are ten times the
// budgets, so that two busy cores never fail them; the figures themselves are printed. Also
// that the cell images take SDL's fast blit without changing a pixel, which the frame budget
// rests on.
#include "frontend/commands.h"
#include "frontend/drop_task.h"
#include "frontend/game_start.h"
#include "frontend/main_loop.h"
#include "frontend/start_up.h"
#include "tests/frontend/field_fixture.h"
#include "tests/frontend/sdl_fixture.h"

#include <SDL.h>
#include <SDL_image.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <time.h>

namespace gemlets {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using fixture::milliseconds;
using fixture::runDir;

constexpr auto quitBudget = 50ms;
constexpr auto startUpBudget = 100ms;
constexpr double pausedCoreShareBudget = 0.01;
constexpr int patienceFactor = 10;

// Printed and recorded (--gtest_output=json keeps it), so that every run shows the figure.
void report(const char* what, double value, const char* unit, double budget) {
    std::printf("[ figure   ] %s: %.3f %s (budget %g %s)\n", what, value, unit, budget, unit);
    std::fflush(stdout);
    ::testing::Test::RecordProperty(what, std::to_string(value));
}

// The game's start-up up to the main loop, as the executable runs it, with the files read from
// the run folder. The drop task's intervals are the game's; each one's start is noted.
struct StartedGame {
    StartedGame() {
        screen.font = openFont(runDir / fontFile, fontPointSize);
        startUp(game, screen, dropTask, runDir);
    }

    std::ostringstream out;
    Game game{out};
    SdlSession session = fixture::dummySession();
    Screen screen;
    JoystickPtr joystick = openJoystick();
    RandomGenerator random{startSeed(SDL_GetTicks())};
    std::atomic<Clock::rep> intervalBegan = 0;
    DropTask dropTask{game, [this](int level) {
                          intervalBegan = Clock::now().time_since_epoch().count();
                          return dropInterval(level);
                      }};
    MainLoop loop{game, dropTask, screen, random, [] {
                      return false;
                  }};
};

TEST(UserFeltTiming, StartUpShowsTheFirstFrameWithinItsBudget) {
    const auto start = Clock::now();
    StartedGame started;
    ASSERT_TRUE(runIteration(started.loop));
    const auto took = Clock::now() - start;
    report("start_up_to_first_frame_ms", milliseconds(took), "ms", milliseconds(startUpBudget));
    EXPECT_LT(took, startUpBudget * patienceFactor);
}

TEST(UserFeltTiming, EscapeInTheMiddleOfTheDropTasksSleepEndsTheGameWithinItsBudget) {
    auto started = std::make_unique<StartedGame>();
    std::atomic<Clock::rep> pushedAt = 0;
    std::thread player([&game = *started, &pushedAt] {
        while (game.intervalBegan == 0)
            std::this_thread::sleep_for(1ms);
        // Half of the one-second interval of level 0.
        const Clock::time_point began{Clock::duration{game.intervalBegan.load()}};
        std::this_thread::sleep_until(began + 500ms);
        SDL_Event escape{};
        escape.type = SDL_KEYDOWN;
        escape.key.keysym.sym = SDLK_ESCAPE;
        pushedAt = Clock::now().time_since_epoch().count();
        if (SDL_PushEvent(&escape) != 0) {
            ADD_FAILURE() << "SDL_PushEvent: " << SDL_GetError();
            quit(game.game); // so that the loop still ends
        }
    });
    mainLoop(started->loop);
    const auto loopReturned = Clock::now();
    started->dropTask.stop();
    const auto taskEnded = Clock::now();
    player.join();
    // What the executable does next: images, font and window go, then TTF_Quit and SDL_Quit.
    started.reset();
    const auto shutDown = Clock::now();

    const Clock::time_point pushed{Clock::duration{pushedAt.load()}};
    report("escape_to_loop_return_ms", milliseconds(loopReturned - pushed), "ms",
           milliseconds(quitBudget));
    report("escape_to_drop_task_joined_ms", milliseconds(taskEnded - pushed), "ms",
           milliseconds(quitBudget));
    report("escape_to_sdl_quit_done_ms", milliseconds(shutDown - pushed), "ms",
           milliseconds(quitBudget));
    EXPECT_LT(loopReturned - pushed, quitBudget * patienceFactor);
    EXPECT_LT(shutDown - pushed, quitBudget * patienceFactor)
        << "from Escape to the end of SDL_Quit";
}

TEST(UserFeltTiming, APausedDropTaskLeavesTheProcessorAlone) {
    std::ostringstream out;
    Game game{out};
    startGame(game);
    std::atomic<pthread_t> taskThread{};
    std::atomic<int> intervals = 0;
    // The interval function runs on the task's own thread: the way to its processor clock.
    DropTask task(game, [&](int) {
        taskThread = pthread_self();
        ++intervals;
        return 10ms;
    });
    task.start();
    while (intervals == 0)
        std::this_thread::sleep_for(1ms);
    applyCommand(game, task, Command::togglePause);
    std::this_thread::sleep_for(100ms); // past the interval under way and its drop
    const int intervalsBefore = intervals;

    clockid_t clock{};
    ASSERT_EQ(pthread_getcpuclockid(taskThread, &clock), 0);
    const auto processorTime = [clock] {
        timespec now{};
        clock_gettime(clock, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    };
    const auto usedBefore = processorTime();
    const auto wallBefore = Clock::now();
    std::this_thread::sleep_for(2s);
    const double share = std::chrono::duration<double>(processorTime() - usedBefore).count() /
                         std::chrono::duration<double>(Clock::now() - wallBefore).count();
    task.stop();

    report("paused_drop_task_core_percent", 100 * share, "%", 100 * pausedCoreShareBudget);
    EXPECT_LT(share, pausedCoreShareBudget * patienceFactor);
    EXPECT_EQ(intervals, intervalsBefore) << "the paused task went on dropping";
}

// Every 16-bit value but `missing` (0x10000 for none), the value after it twice instead.
SurfacePtr everyValueImage(const SDL_PixelFormat* window, Uint32 missing) {
    SurfacePtr image(
        SDL_CreateRGBSurface(0, 256, 256, 16, window->Rmask, window->Gmask, window->Bmask, 0));
    for (Uint32 value = 0; value < 0x10000; ++value) {
        static_cast<Uint16*>(image->pixels)[value / 256 * image->pitch / 2 + value % 256] =
            static_cast<Uint16>(value == missing ? value + 1 : value);
    }
    return image;
}

// The first pixel where the window's top-left corner differs from `expected`, or "".
std::string firstDifference(SDL_Surface* window, SDL_Surface* expected) {
    for (int y = 0; y < expected->h; ++y) {
        for (int x = 0; x < expected->w; ++x) {
            const Uint16 drawn = fixture::pixelAt(window, x, y);
            const Uint16 loaded = fixture::pixelAt(expected, x, y);
            if (drawn != loaded)
                return "(" + std::to_string(x) + ", " + std::to_string(y) + "): drawn " +
                       std::to_string(drawn) + ", loaded " + std::to_string(loaded);
        }
    }
    return "";
}

class FrameBudget : public ::testing::Test {
protected:
    // Blits `prepared` at the corner of a black window; the pixels must be `plain`'s.
    void expectDrawnAsLoaded(SDL_Surface* prepared, SDL_Surface* plain, const std::string& name) {
        SDL_FillRect(window, nullptr, 0);
        SDL_Rect corner{0, 0, 0, 0};
        ASSERT_EQ(SDL_BlitSurface(prepared, nullptr, window, &corner), 0) << SDL_GetError();
        EXPECT_EQ(firstDifference(window, plain), "") << name;
    }

    SdlSession session = fixture::dummySession();
    SDL_Surface* window = openWindow();
};

// The run-length blit also shows that the image was converted to the window's format: the
// JPEGs load with 3-byte pixels, which get no colour key.
TEST_F(FrameBudget, TheGamesCellImagesTakeTheRunLengthBlitAndDrawEveryPixelAsLoaded) {
    for (const char* file : cellImageFiles) {
        const SurfacePtr loaded(IMG_Load((runDir / file).c_str()));
        ASSERT_TRUE(loaded) << file << ": " << SDL_GetError();
        const SurfacePtr plain(SDL_DisplayFormat(loaded.get()));
        const SurfacePtr prepared = loadImage(runDir / file);
        expectDrawnAsLoaded(prepared.get(), plain.get(), file);
        EXPECT_TRUE(prepared->flags & SDL_RLEACCEL) << file << " is blitted by plain copy";
    }
}

TEST_F(FrameBudget, TheColourKeyIsAValueNoPixelHoldsOrThereIsNone) {
    // With 1000 free it must become the key; with every value a pixel no key is safe. Either
    // way nothing may turn transparent.
    for (const Uint32 missing : {1000u, 0x10000u}) {
        const SurfacePtr prepared = everyValueImage(window->format, missing);
        const SurfacePtr plain = everyValueImage(window->format, missing);
        prepareForBlits(prepared.get());
        expectDrawnAsLoaded(prepared.get(), plain.get(), "all but " + std::to_string(missing));
        EXPECT_EQ((prepared->flags & SDL_SRCCOLORKEY) != 0, missing == 1000u) << missing;
    }
}

} // namespace
} // namespace gemlets

// SPDX-License-Identifier: MIT
// What players feel, on SDL's dummy video driver: how soon the first frame shows after
// start-up, how soon Escape ends the game, and how little a paused drop task costs. Start-up
// is the game's own (startUp), with its files read from the run folder.
#include "bench/frame_stage.h"
#include "desktop/desktop_resources.h"
#include "desktop/sdl_session.h"
#include "frame/main_loop.h"
#include "frame/start_up.h"
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "play/start_seed.h"

#include <SDL.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <memory>
#include <pthread.h>
#include <sstream>
#include <thread>

namespace gemlets::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The game from SDL_Init to the main loop, as the executable starts it. The drop task's
// intervals are the game's; the start of each is noted.
struct StartedGame {
    StartedGame() {
        screen.font = openFont(runDir / fontFile);
        startUp(game, screen, dropTask, {openWindow, loadImage}, runDir);
    }

    // Declared in the executable's order, so that they end in its order too.
    std::ostringstream out;
    Game game{out};
    SdlSession session;
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

// Runs `body` with SDL to itself; a start-up failure skips the benchmark with its message.
template <class Body> void withSdlAlone(benchmark::State& state, Body body) {
    endFrameStage();
    try {
        body();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

// From the start of SDL_Init to the end of the first main-loop iteration, whose frame is the
// first the player sees. Ending the game is not timed.
void startUpToFirstFrame(benchmark::State& state) {
    withSdlAlone(state, [&] {
        for (auto _ : state) {
            const auto start = Clock::now();
            auto started = std::make_unique<StartedGame>();
            runIteration(started->loop);
            state.SetIterationTime(seconds(Clock::now() - start));
        }
    });
}
BENCHMARK(startUpToFirstFrame)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

// Escape pushed while the drop task sleeps through its first one-second interval, timed to
// the end of SDL_Quit, when the window is gone; the counters are the main loop's return and
// the drop task's end.
void escapeToSdlQuitDone(benchmark::State& state) {
    double loopReturned = 0;
    double taskJoined = 0;
    withSdlAlone(state, [&] {
        for (auto _ : state) {
            auto started = std::make_unique<StartedGame>();
            std::atomic<Clock::rep> pushedAt = 0;
            std::thread player([&game = *started, &pushedAt] {
                while (game.intervalBegan == 0)
                    std::this_thread::sleep_for(1ms);
                const Clock::time_point began{Clock::duration{game.intervalBegan.load()}};
                std::this_thread::sleep_until(began + 100ms);
                SDL_Event escape{};
                escape.type = SDL_KEYDOWN;
                escape.key.keysym.sym = SDLK_ESCAPE;
                pushedAt = Clock::now().time_since_epoch().count();
                if (SDL_PushEvent(&escape) != 0)
                    quit(game.game); // the loop must still end; the figure is then meaningless
            });
            mainLoop(started->loop);
            const auto loopReturn = Clock::now();
            started->dropTask.stop();
            const auto taskEnd = Clock::now();
            player.join();
            // What the executable does next: images, font and window go, then SDL_Quit.
            started.reset();
            const auto quitDone = Clock::now();

            const Clock::time_point pushed{Clock::duration{pushedAt.load()}};
            state.SetIterationTime(seconds(quitDone - pushed));
            loopReturned += seconds(loopReturn - pushed);
            taskJoined += seconds(taskEnd - pushed);
        }
    });
    using benchmark::Counter;
    state.counters["loop_returned_ms"] = Counter(loopReturned * 1e3, Counter::kAvgIterations);
    state.counters["task_joined_ms"] = Counter(taskJoined * 1e3, Counter::kAvgIterations);
}
BENCHMARK(escapeToSdlQuitDone)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// The processor time that the drop task's thread uses over two seconds of the player's pause;
// the budget is a share of that time. No SDL: the task alone, with ten-millisecond intervals.
void pausedDropTaskProcessorTime(benchmark::State& state) {
    for (auto _ : state) {
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

        clockid_t clock{};
        if (pthread_getcpuclockid(taskThread, &clock) != 0) {
            state.SkipWithError("pthread_getcpuclockid failed");
            break;
        }
        const auto processorTime = [clock] {
            timespec now{};
            clock_gettime(clock, &now);
            return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
        };
        const auto usedBefore = processorTime();
        std::this_thread::sleep_for(2s);
        state.SetIterationTime(seconds(processorTime() - usedBefore));
        task.stop();
    }
}
BENCHMARK(pausedDropTaskProcessorTime)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace gemlets::bench

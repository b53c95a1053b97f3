// SPDX-License-Identifier: MIT
// The figures that have a budget, on SDL's dummy video driver with the game's own images and
// font: the frame step beside the memory floor of one frame (writing and copying every byte
// of the window once), in the design's window, at --scale 2 and on a 1920 x 1080 screen, the
// worst turn step, start-up to the first frame, Escape to the end of
// SDL_Quit, and the paused drop task's processor time. Each benchmark starts the game as the
// executable does (startUp) and ends it, so no two hold SDL at once.
#include "desktop/desktop_resources.h"
#include "desktop/display.h"
#include "desktop/joystick.h"
#include "desktop/sdl_session.h"
#include "frontend/main_loop.h"
#include "frontend/start_up.h"
#include "model/game_start.h"
#include "model/groups.h"
#include "model/movement.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "play/start_seed.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

#include <SDL.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <new>
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

// Every cell taken, no four of a colour touching.
const fixture::Rows fullField = {"011223", "300112", "233001", "122330", "011223", "300112",
                                 "233001", "122330", "011223", "300112", "233001", "122330"};

// The costliest turn step we found: every cell but the two spawn cells taken, and the only
// group of four or more (five zeros) runs through (3, 1), where the last pair has just landed
// beside (2, 1), as in a game. Its clearing sets off a chain that clears 64 of the 70 cells,
// each clearing followed by a fall that is searched after every row.
const fixture::Rows worstChainField = {"10**20", "132003", "012103", "301201", "203302", "202322",
                                       "211201", "030321", "112001", "122333", "201012", "011302"};

// The game as the drop task leaves it when everything has landed on these rows.
void layOutLanded(Game& game, const fixture::Rows& rows) {
    fixture::layOut(game, rows);
    for (const GemletPtr& g : game.gemlets)
        setGemletState(*g, GemletState::landed);
}

// The game from SDL_Init to the main loop, as the executable starts it. The drop task's
// intervals are the game's; the start of each is noted. With DropDriver::caller nothing
// drops unless the benchmark says so.
struct StartedGame {
    // The window `scale` times the design's, or the whole of a 1920 x 1080 screen.
    explicit StartedGame(DropDriver driver = DropDriver::thread, int scale = 1,
                         bool fullscreen = false)
        : display(screen, scale, fullscreen, {1920, 1080}),
          dropTask(
              game,
              [this](int level) {
                  intervalBegan = Clock::now().time_since_epoch().count();
                  return dropInterval(level);
              },
              driver) {
        screen.font = openFont(runDir / fontFile);
        startUp(game, screen, dropTask, {[this] { return display.open(); }, loadImage}, runDir);
    }

    // Declared in the executable's order, so that they end in its order too.
    std::ostringstream out;
    Game game{out};
    SdlSession session;
    Screen screen;
    Display display;
    Joystick joystick = openJoystick();
    RandomGenerator random{startSeed(SDL_GetTicks())};
    std::atomic<Clock::rep> intervalBegan = 0;
    DropTask dropTask;
    MainLoop loop{game, dropTask, screen, random, [] {
                      return false;
                  }};
};

// Runs `body`; a start-up failure skips the benchmark with its message.
template <class Body> void orSkip(benchmark::State& state, Body body) {
    try {
        body();
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

// Frames of a full field; `whole`: each handed to SDL whole, as the first frame and the one
// after an expose are, otherwise unchanged since the last, so that nothing is drawn. In a
// window `scale` times the design's, or on a 1920 x 1080 screen.
void measureFullFieldFrames(benchmark::State& state, bool whole, int scale = 1,
                            bool fullscreen = false) {
    orSkip(state, [&] {
        StartedGame started(DropDriver::caller, scale, fullscreen);
        layOutLanded(started.game, fullField);
        started.game.state = State::unpause;
        for (auto _ : state) {
            if (whole)
                showWholeWindowNext(started.screen);
            frameStep(started.screen, started.game);
        }
    });
}

void frameStepFullField(benchmark::State& state) {
    measureFullFieldFrames(state, false);
}
BENCHMARK(frameStepFullField)->Unit(benchmark::kMicrosecond);

void frameStepFullFieldShownWhole(benchmark::State& state) {
    measureFullFieldFrames(state, true);
}
BENCHMARK(frameStepFullFieldShownWhole)->Unit(benchmark::kMicrosecond);

void frameStepFullFieldAt2x(benchmark::State& state) {
    measureFullFieldFrames(state, false, 2);
}
BENCHMARK(frameStepFullFieldAt2x)->Unit(benchmark::kMicrosecond);

void frameStepFullFieldShownWholeAt2x(benchmark::State& state) {
    measureFullFieldFrames(state, true, 2);
}
BENCHMARK(frameStepFullFieldShownWholeAt2x)->Unit(benchmark::kMicrosecond);

void frameStepFullFieldShownWholeFullscreen1080p(benchmark::State& state) {
    measureFullFieldFrames(state, true, 1, true);
}
BENCHMARK(frameStepFullFieldShownWholeFullscreen1080p)->Unit(benchmark::kMicrosecond);

// Frames after the pair moved a column, left and right in turn, on the empty field the game
// ships: each drawn whole on the frame, the two columns that changed handed to SDL.
void measurePairMoves(benchmark::State& state, int scale, bool fullscreen = false) {
    orSkip(state, [&] {
        StartedGame started(DropDriver::caller, scale, fullscreen);
        Game& game = started.game;
        frameStep(started.screen, game);
        bool left = true;
        for (auto _ : state) {
            (left ? moveToLeft : moveToRight)(game, *game.first, *game.second);
            left = !left;
            frameStep(started.screen, game);
        }
    });
}

void frameStepPairMoved(benchmark::State& state) {
    measurePairMoves(state, 1);
}
BENCHMARK(frameStepPairMoved)->Unit(benchmark::kMicrosecond);

void frameStepPairMovedAt2x(benchmark::State& state) {
    measurePairMoves(state, 2);
}
BENCHMARK(frameStepPairMovedAt2x)->Unit(benchmark::kMicrosecond);

void frameStepPairMovedFullscreen1080p(benchmark::State& state) {
    measurePairMoves(state, 1, true);
}
BENCHMARK(frameStepPairMovedFullscreen1080p)->Unit(benchmark::kMicrosecond);

// Two frames' worth of bytes, allocated once on page boundaries. Buffers that malloc placed
// afresh for each run sat where glibc's memcpy ran about ten times slower than in a plain loop,
// which made the floor, and every ratio to it, meaningless.
struct FloorBuffers {
    static constexpr std::size_t frameBytes = std::size_t{windowWidth} * windowHeight * 2;

    struct FreeDeleter {
        void operator()(char* bytes) const { std::free(bytes); }
    };
    using Buffer = std::unique_ptr<char, FreeDeleter>;

    // Mapped before any timing, so that no run pays for the first touch of its pages.
    static Buffer pageAligned() {
        constexpr std::size_t page = 4096;
        Buffer buffer(
            static_cast<char*>(std::aligned_alloc(page, (frameBytes + page - 1) / page * page)));
        if (!buffer)
            throw std::bad_alloc();
        std::memset(buffer.get(), 0, frameBytes);
        return buffer;
    }

    Buffer drawn = pageAligned();
    Buffer shown = pageAligned();
};

// The least any frame can cost: one fill and one copy of the whole window's bytes.
void memoryFloor(benchmark::State& state) {
    static const FloorBuffers buffers;
    for (auto _ : state) {
        std::memset(buffers.drawn.get(), 0xff, FloorBuffers::frameBytes);
        std::memcpy(buffers.shown.get(), buffers.drawn.get(), FloorBuffers::frameBytes);
        benchmark::DoNotOptimize(buffers.shown.get());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(memoryFloor)->Unit(benchmark::kMicrosecond);

// The trace is formatted into memory; only the turn step is timed, not laying out the field.
void worstTurnStep(benchmark::State& state) {
    RandomGenerator random(5489);
    for (auto _ : state) {
        std::ostringstream out;
        Game game{out};
        layOutLanded(game, worstChainField);
        game.level = 0;
        game.run = true;
        game.state = State::newGemlets;
        const auto start = Clock::now();
        turnStep(game, random);
        state.SetIterationTime(seconds(Clock::now() - start));
        if (game.points != 64 * pointsPerCell) {
            state.SkipWithError("the worst chain no longer clears 64 cells: find it anew");
            break;
        }
    }
}
BENCHMARK(worstTurnStep)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the start of SDL_Init to the end of the first main-loop iteration, whose frame is the
// first the player sees. Ending the game is not timed.
void startUpToFirstFrame(benchmark::State& state) {
    orSkip(state, [&] {
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
// the end of SDL_Quit, when the window is gone.
void escapeToSdlQuitDone(benchmark::State& state) {
    orSkip(state, [&] {
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
            started->dropTask.stop();
            player.join();
            // What the executable does next: images, font and window go, then SDL_Quit.
            started.reset();
            const Clock::time_point pushed{Clock::duration{pushedAt.load()}};
            state.SetIterationTime(seconds(Clock::now() - pushed));
        }
    });
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

// SPDX-License-Identifier: MIT
// The frame step on SDL's dummy video driver, with the game's own images and font, beside
// the memory floor of one frame: writing and copying every byte of a 384 x 384, 16-bit
// window once. The loop draws thousands of frames between two changes, so the plain figures
// are of frames that change nothing; beside them, frames handed to SDL whole and frames in
// which the pair moved, and SDL's fill of the window alone, which every frame starts with.
#include "bench/bench_fields.h"
#include "bench/frame_stage.h"
#include "desktop/desktop_resources.h"
#include "desktop/sdl_session.h"
#include "frame/rendering.h"
#include "model/game_start.h"
#include "model/gravity.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <sstream>

namespace gemlets::bench {
namespace {

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

// A window and everything the game draws with, made once and kept for every frame benchmark,
// as the game keeps them for its whole run.
struct FrameStage {
    FrameStage() {
        screen.surface = openWindow();
        screen.font = openFont(runDir / fontFile);
        for (std::size_t colour = 0; colour < cellImageFiles.size(); ++colour)
            screen.cellImages[colour] = loadImage(runDir / cellImageFiles[colour]);
        screen.gameover = loadImage(runDir / gameoverImageFile);
        startGame(game);
    }

    // Declared first so that it ends last, after the surfaces and the font.
    SdlSession session;
    Screen screen;
    std::ostringstream out;
    Game game{out};
    Game otherGame{out}; // for frames that alternate between two games
};

std::unique_ptr<FrameStage> currentStage;

// Made at the first frame benchmark after start-up or endFrameStage; a failure skips the
// frame benchmarks with its message.
FrameStage* frameStage(benchmark::State& state) {
    static std::string failure;
    if (!currentStage && failure.empty()) {
        try {
            currentStage = std::make_unique<FrameStage>();
        } catch (const std::exception& error) {
            failure = error.what();
        }
    }
    if (!currentStage)
        state.SkipWithError(failure.c_str());
    return currentStage.get();
}

// Frames of the field that change nothing since the last.
void measureFrames(benchmark::State& state, std::string_view fieldText) {
    FrameStage* stage = frameStage(state);
    if (stage == nullptr)
        return;
    Game& game = stage->game;
    layOutLanded(game, fieldText);
    game.state = State::unpause;
    for (auto _ : state)
        frameStep(stage->screen, game);
}

void frameStepFullField(benchmark::State& state) {
    measureFrames(state, fullField);
}
BENCHMARK(frameStepFullField)->Unit(benchmark::kMicrosecond);

// Every frame handed to SDL whole, as the first frame and the one after an expose are: what
// handing over only the changed parts saves.
void frameStepFullFieldShownWhole(benchmark::State& state) {
    FrameStage* stage = frameStage(state);
    if (stage == nullptr)
        return;
    layOutLanded(stage->game, fullField);
    stage->game.state = State::unpause;
    for (auto _ : state) {
        showWholeWindowNext(stage->screen);
        frameStep(stage->screen, stage->game);
    }
}
BENCHMARK(frameStepFullFieldShownWhole)->Unit(benchmark::kMicrosecond);

// Frames in which the falling pair has moved down one row since the last, the commonest change.
void frameStepPairFalling(benchmark::State& state) {
    FrameStage* stage = frameStage(state);
    if (stage == nullptr)
        return;
    for (Game* game : {&stage->game, &stage->otherGame}) {
        startGame(*game);
        layOutLanded(*game, game == &stage->game ? pairAboveHalfField : pairOneRowLower);
    }
    bool lower = false;
    for (auto _ : state) {
        frameStep(stage->screen, lower ? stage->otherGame : stage->game);
        lower = !lower;
    }
}
BENCHMARK(frameStepPairFalling)->Unit(benchmark::kMicrosecond);

void frameStepEmptyField(benchmark::State& state) {
    measureFrames(state, emptyFieldText);
}
BENCHMARK(frameStepEmptyField)->Unit(benchmark::kMicrosecond);

// The white fill that starts every frame, on its own.
void sdlFillRectWindow(benchmark::State& state) {
    FrameStage* stage = frameStage(state);
    if (stage == nullptr)
        return;
    Screen& screen = stage->screen;
    const Uint32 white = SDL_MapRGB(screen.surface->format, 255, 255, 255);
    for (auto _ : state)
        SDL_FillRect(screen.surface, &screen.backgroundRect, white);
}
BENCHMARK(sdlFillRectWindow)->Unit(benchmark::kMicrosecond);

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

} // namespace

void endFrameStage() {
    currentStage.reset();
}

} // namespace gemlets::bench

// SPDX-License-Identifier: MIT
// The game model's costly steps: a gravity step over a full field, the worst turn step we
// could build (with its trace thrown away, and sent through a pipe), and reading the field
// file.
#include "bench/bench_fields.h"
#include "bench/trace_streams.h"
#include "model/groups.h"
#include "model/random_colours.h"
#include "play/turn_step.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace gemlets::bench {
namespace {

using Clock = std::chrono::steady_clock;

void dropGemletsFullField(benchmark::State& state) {
    DiscardingStream out;
    Game game{out};
    layOutLanded(game, fullField);
    for (auto _ : state) {
        // Falling again, so that every step tests every gemlet's cell below and lands it.
        for (const GemletPtr& g : game.gemlets)
            setGemletState(*g, GemletState::dropping);
        benchmark::DoNotOptimize(dropGemlets(game));
    }
}
BENCHMARK(dropGemletsFullField)->Unit(benchmark::kMicrosecond);

// Only the turn step is timed; laying out the field again before each is not.
void measureWorstTurnStep(benchmark::State& state, std::ostream& out) {
    RandomGenerator random(5489);
    int points = 0;
    for (auto _ : state) {
        Game game{out};
        layOutLanded(game, worstChainField);
        game.level = 0;
        game.run = true;
        game.state = State::newGemlets;
        const auto start = Clock::now();
        turnStep(game, random);
        out.flush();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        points = game.points;
    }
    state.counters["cleared_cells"] = points / pointsPerCell;
}

void worstTurnStepTraceDiscarded(benchmark::State& state) {
    DiscardingStream out;
    measureWorstTurnStep(state, out);
    state.counters["trace_bytes"] =
        benchmark::Counter(static_cast<double>(out.written()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(worstTurnStepTraceDiscarded)->UseManualTime()->Unit(benchmark::kMillisecond);

void worstTurnStepTraceToPipe(benchmark::State& state) {
    PipeStream out;
    measureWorstTurnStep(state, out);
}
BENCHMARK(worstTurnStepTraceToPipe)->UseManualTime()->Unit(benchmark::kMillisecond);

void fileToFieldFullField(benchmark::State& state) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("gemlets_bench_" + std::to_string(getpid()) + ".txt");
    std::ofstream(path) << fullField;
    Field f = emptyField();
    for (auto _ : state) {
        fileToField(f, path);
        benchmark::DoNotOptimize(f.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(fileToFieldFullField)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace gemlets::bench

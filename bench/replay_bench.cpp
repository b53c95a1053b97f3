// SPDX-License-Identifier: MIT
// Checking a replay of ten minutes of play, as `gemlets --replay FILE --check` does, its
// standard output formatted and thrown away.
#include "play/replay.h"

#include <benchmark/benchmark.h>
#include <ostream>
#include <sstream>
#include <streambuf>

namespace gemlets::bench {
namespace {

// Takes every character and keeps none.
struct Discarding : std::streambuf {
    int overflow(int c) override { return c; }
};

void checkTenMinuteReplay(benchmark::State& state) {
    Discarding nowhere;
    std::ostream out(&nowhere);
    std::ostringstream said;
    int status = 0;
    for (auto _ : state)
        status |= checkReplay(GEMLETS_SOURCE_DIR "/tests/replays/ten-minutes.replay", out, said);
    if (status != 0)
        state.SkipWithError(said.str().c_str());
}
BENCHMARK(checkTenMinuteReplay)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace gemlets::bench

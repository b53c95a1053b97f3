// SPDX-License-Identifier: MIT
// Runs every benchmark on SDL's dummy video driver, repeated and interleaved so that the
// ratios compare figures taken over the same stretch of time, then prints the medians beside
// their budgets and fails when one is missed.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

// Each benchmark's median real time in nanoseconds.
using Medians = std::map<std::string, double>;

// Prints as the console reporter does and keeps the medians.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            const std::string& name = run.run_name.function_name;
            // A single repetition has no median: its own time stands in until one comes.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool alone = run.run_type == Run::RT_Iteration && medians.count(name) == 0;
            if (run.error_occurred)
                failed.insert(name);
            else if (median || alone)
                medians[name] = run.GetAdjustedRealTime() * nanosecondsPer(run.time_unit);
        }
    }

    Medians medians;
    std::set<std::string> failed; // benchmarks that reported an error instead of a time

private:
    static double nanosecondsPer(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        case benchmark::kNanosecond:
            break;
        }
        return 1;
    }
};

// A figure the run prints and its budget, the most it may be: a median over a fixed amount,
// or over another benchmark's median (the memory floor's: how many frames' worth of plain
// memory traffic it costs; the unscaled frame's: what scaling adds).
struct Figure {
    const char* what;
    const char* median; // a benchmark's name
    const char* over;   // the benchmark whose median it is divided by, or null
    double per;         // otherwise the figure is the median (ns) over this
    const char* unit;
    double budget; // 0: none, the unit of the others
};

constexpr const char* theFloor = "memoryFloor";

// Every figure and budget of the bench.
const Figure figures[] = {
    {"memory floor: memset + memcpy of one frame", theFloor, nullptr, 1e3, "us", 0},
    {"frame step, full field, unchanged since the last frame", "frameStepFullField", theFloor, 0,
     "x the floor", 8},
    {"frame step, full field, shown whole (the first frame, after an expose)",
     "frameStepFullFieldShownWhole", theFloor, 0, "x the floor", 8},
    {"the same at --scale 2, unchanged", "frameStepFullFieldAt2x", theFloor, 0, "x the floor", 8},
    {"the same at --scale 2, shown whole", "frameStepFullFieldShownWholeAt2x",
     "frameStepFullFieldShownWhole", 0, "x unscaled", 4},
    // Half a frame at the menu entry's 60 a second: F11 or an expose never costs one.
    {"the same on a 1920 x 1080 screen, shown whole", "frameStepFullFieldShownWholeFullscreen1080p",
     nullptr, 1e6, "ms", 8},
    {"frame step, the pair moved a column", "frameStepPairMoved", nullptr, 1e3, "us", 0},
    {"the same at --scale 2", "frameStepPairMovedAt2x", "frameStepPairMoved", 0, "x unscaled", 4},
    {"the same on a 1920 x 1080 screen", "frameStepPairMovedFullscreen1080p", "frameStepPairMoved",
     0, "x unscaled", 0},
    {"worst turn step (a 64-cell chain)", "worstTurnStep", nullptr, 1e6, "ms", 5},
    {"--replay --check of ten minutes of play (tests/replays/ten-minutes.replay)",
     "checkTenMinuteReplay", nullptr, 1e6, "ms", 1000},
    {"start-up to the first frame", "startUpToFirstFrame", nullptr, 1e6, "ms", 100},
    {"Escape in the drop task's sleep to the end of SDL_Quit", "escapeToSdlQuitDone", nullptr, 1e6,
     "ms", 50},
    // Processor time over two seconds of pause: 1 % of a core is 20 ms.
    {"paused drop task", "pausedDropTaskProcessorTime", nullptr, 2e7, "% of a core", 1},
};

// A line per figure whose benchmarks ran (a --benchmark_filter may leave some out): met or
// MISSED beside a budget, FAILED when a benchmark it needs reported an error. True when every
// budget of the figures that ran was met.
bool printFigures(const MedianReporter& reporter) {
    const auto median = [&](const std::string& name) -> std::optional<double> {
        const auto found = reporter.medians.find(name);
        return found == reporter.medians.end() ? std::nullopt : std::optional(found->second);
    };
    bool allMet = true;
    for (const Figure& figure : figures) {
        if (reporter.failed.count(figure.median) != 0 ||
            (figure.over != nullptr && reporter.failed.count(figure.over) != 0)) {
            std::printf("  FAILED  %s: the benchmark reported an error\n", figure.what);
            allMet = false;
            continue;
        }
        const std::optional<double> value = median(figure.median);
        const std::optional<double> per = figure.over != nullptr ? median(figure.over) : figure.per;
        if (!value || !per || *per <= 0)
            continue;
        const double shown = *value / *per;
        const bool met = shown <= figure.budget;
        allMet = allMet && (figure.budget == 0 || met);
        const char* verdict = figure.budget == 0 ? "" : met ? "met" : "MISSED";
        std::printf("  %-7s %s: %.3g %s", verdict, figure.what, shown, figure.unit);
        if (figure.budget != 0)
            std::printf("; budget %g %s", figure.budget, figure.unit);
        std::printf("\n");
    }
    return allMet;
}

} // namespace

int main(int argc, char** argv) {
    // Only the benchmark picks the driver: the frames are drawn without a display.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1); // no sound card's complaints among the figures

    // Our defaults first, so that the same flags given on the command line win.
    std::vector<char*> args{argv[0]};
    char repetitions[] = "--benchmark_repetitions=15";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    for (char* flag : {repetitions, interleave, aggregatesOnly})
        args.push_back(flag);
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nFigures and budgets (medians of this run):\n");
    if (printFigures(reporter))
        return 0;
    std::fflush(stdout);
    std::fprintf(stderr, "gemlets_bench: a budget was missed\n");
    return 1;
}

// SPDX-License-Identifier: MIT
// Runs every benchmark on SDL's dummy video driver, repeated and interleaved so that the
// ratios compare figures taken over the same stretch of time, then prints the medians beside
// their budgets.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// Each benchmark's median real time in nanoseconds, and the median of each of its counters
// under "benchmark.counter".
using Medians = std::map<std::string, double>;

// Prints as the console reporter does and keeps the medians.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
                !run.error_occurred) {
                const std::string& name = run.run_name.function_name;
                medians[name] = run.GetAdjustedRealTime() * nanosecondsPer(run.time_unit);
                for (const auto& [counter, value] : run.counters)
                    medians[name + "." + counter] = value.value;
            }
        }
    }

    Medians medians;

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

// What a median is divided by for its figure: a figure is either a median over this, or a
// median over the memory floor's (how many frames' worth of plain memory traffic it costs).
constexpr double overFloor = 0;

// A figure the run prints and its budget, the most it may be.
struct Figure {
    const char* what;
    const char* median; // a benchmark's name, or "benchmark.counter"
    double per;         // the figure is the median (ns, or the counter's value) over this
    const char* unit;
    double budget; // 0: none, a figure for comparison
};

// Every figure and budget of the bench.
const Figure figures[] = {
    {"memory floor: memset + memcpy of one frame", "memoryFloor", 1e3, "us", 0},
    {"frame step, full field, unchanged since the last frame", "frameStepFullField", overFloor,
     "x the floor", 8},
    {"frame step, full field, shown whole (the first frame, after an expose)",
     "frameStepFullFieldShownWhole", overFloor, "x the floor", 8},
    {"frame step, the pair one row lower than in the last frame", "frameStepPairFalling", overFloor,
     "x the floor", 0},
    {"frame step, empty field", "frameStepEmptyField", overFloor, "x the floor", 0},
    {"SDL_FillRect of the window alone", "sdlFillRectWindow", overFloor, "x the floor", 0},
    {"worst turn step, trace discarded", "worstTurnStepTraceDiscarded", 1e6, "ms", 5},
    {"worst turn step, trace through a pipe", "worstTurnStepTraceToPipe", 1e6, "ms", 0},
    {"dropGemlets on a full field", "dropGemletsFullField", 1e3, "us", 0},
    {"fileToField", "fileToFieldFullField", 1e3, "us", 0},
    {"--replay --check of ten minutes of play (tests/replays/ten-minutes.replay)",
     "checkTenMinuteReplay", 1e6, "ms", 1000},
    {"start-up to the first frame", "startUpToFirstFrame", 1e6, "ms", 100},
    {"Escape in the drop task's sleep to the main loop's return",
     "escapeToSdlQuitDone.loop_returned_ms", 1, "ms", 0},
    {"Escape in the drop task's sleep to the drop task's end", "escapeToSdlQuitDone.task_joined_ms",
     1, "ms", 0},
    {"Escape in the drop task's sleep to the end of SDL_Quit", "escapeToSdlQuitDone", 1e6, "ms",
     50},
    // Processor time over two seconds of pause: 1 % of a core is 20 ms.
    {"paused drop task", "pausedDropTaskProcessorTime", 2e7, "% of a core", 1},
};

// A line per figure whose benchmarks ran (a --benchmark_filter may leave some out): met or
// MISSED beside a budget.
void printFigures(const Medians& medians) {
    const auto median = [&](const std::string& name) -> std::optional<double> {
        const auto found = medians.find(name);
        return found == medians.end() ? std::nullopt : std::optional(found->second);
    };
    for (const Figure& figure : figures) {
        const std::optional<double> value = median(figure.median);
        const std::optional<double> per =
            figure.per == overFloor ? median("memoryFloor") : figure.per;
        if (!value || !per || *per <= 0)
            continue;
        const double shown = *value / *per;
        const char* verdict = figure.budget == 0 ? "" : shown <= figure.budget ? "met" : "MISSED";
        std::printf("  %-7s %s: %.3g %s", verdict, figure.what, shown, figure.unit);
        if (figure.budget != 0)
            std::printf("; budget %g %s", figure.budget, figure.unit);
        std::printf("\n");
    }
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

    // A missed budget is reported, not turned into a failure: these are figures from a
    // shared machine, for a person to read.
    std::printf("\nFigures and budgets (medians of this run):\n");
    printFigures(reporter.medians);
    return 0;
}

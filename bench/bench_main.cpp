// SPDX-License-Identifier: MIT
// Runs every benchmark on SDL's dummy video driver, repeated and interleaved so that the
// ratios compare figures taken over the same stretch of time, then checks the medians
// against the budgets.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// Prints as the console reporter does and keeps each benchmark's median real time, in
// nanoseconds, and the medians of its counters.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" &&
                !run.error_occurred) {
                medians[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * nanosecondsPer(run.time_unit);
                for (const auto& [name, counter] : run.counters)
                    counterMedians[run.run_name.function_name + "." + name] = counter.value;
            }
        }
    }

    std::map<std::string, double> medians;
    std::map<std::string, double> counterMedians;

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

// One line per budget whose benchmarks ran (a --benchmark_filter may leave some out).
void checkBudgets(const MedianReporter& reporter) {
    const auto median = [&](const std::string& name) {
        const auto found = reporter.medians.find(name);
        return found == reporter.medians.end() ? -1.0 : found->second;
    };
    const auto line = [](bool ran, bool met, const std::string& text) {
        if (ran)
            std::printf("  %-7s %s\n", met ? "met" : "MISSED", text.c_str());
    };
    char text[300];

    const double floor = median("memoryFloor");
    const auto frameLine = [&](const char* what, const std::string& name) {
        const double frame = median(name);
        std::snprintf(text, sizeof text,
                      "frame step, full field, %s: %.1f us = %.1f x the memory floor (%.1f us); "
                      "budget 8 x",
                      what, frame / 1e3, frame / floor, floor / 1e3);
        line(floor > 0 && frame > 0, frame / floor <= 8, text);
    };
    frameLine("unchanged since the last frame", "frameStepFullField");
    frameLine("shown whole (the first frame, after an expose)", "frameStepFullFieldShownWhole");
    const auto compared = [&](const char* what, const std::string& name) {
        if (median(name) > 0 && floor > 0)
            std::printf("          %s: %.1f us = %.1f x\n", what, median(name) / 1e3,
                        median(name) / floor);
    };
    compared("the pair one row lower than in the last frame", "frameStepPairFalling");
    compared("full field, images in the window's format only",
             "frameStepFullFieldImagesInWindowFormatOnly");
    compared("full field, images as loaded (24 bits)", "frameStepFullFieldImagesAsLoaded");
    compared("empty field", "frameStepEmptyField");
    compared("SDL_FillRect of the window alone", "sdlFillRectWindow");

    const double turn = median("worstTurnStepTraceDiscarded");
    std::snprintf(text, sizeof text,
                  "worst turn step, trace discarded: %.2f ms; budget 5 ms (to a pipe: %.2f ms)",
                  turn / 1e6, median("worstTurnStepTraceToPipe") / 1e6);
    line(turn > 0, turn < 5e6, text);

    const double startUp = median("startUpToFirstFrame");
    std::snprintf(text, sizeof text, "start-up to the first frame: %.1f ms; budget 100 ms",
                  startUp / 1e6);
    line(startUp > 0, startUp < 100e6, text);

    const double quitDone = median("escapeToSdlQuitDone");
    const auto counter = [&](const std::string& name) {
        const auto found = reporter.counterMedians.find("escapeToSdlQuitDone." + name);
        return found == reporter.counterMedians.end() ? -1.0 : found->second;
    };
    std::snprintf(text, sizeof text,
                  "Escape in the drop task's sleep to the main loop's return: %.2f ms, to the "
                  "drop task's end: %.2f ms, to the end of SDL_Quit: %.2f ms; budget 50 ms",
                  counter("loop_returned_ms"), counter("task_joined_ms"), quitDone / 1e6);
    line(quitDone > 0, quitDone < 50e6, text);

    // Processor time over two seconds of pause: 1 % of a core is 20 ms.
    const double paused = median("pausedDropTaskProcessorTime");
    std::snprintf(text, sizeof text,
                  "paused drop task: %.3f %% of a core (%.2f ms of processor time in 2 s); "
                  "budget 1 %%",
                  paused / 2e9 * 100, paused / 1e6);
    line(paused >= 0, paused < 20e6, text);
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
    std::printf("\nBudgets (medians of this run):\n");
    checkBudgets(reporter);
    return 0;
}

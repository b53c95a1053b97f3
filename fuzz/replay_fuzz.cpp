// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the replay reader, and plays what it accepts as --replay FILE
// --check and a watched replay do, without a window. Whatever the bytes: the reader refuses
// them naming the file and the line, or the replay it reads writes back as text that reads
// back the same; played at once and played in steps, as the watcher plays it, it comes to the
// same verdict, and a problem names the file and the event. Replays come from anyone (a bug
// report's file, a ?replay= link), so a crash, a hang or a runaway allocation here is a
// player's.
#include "play/replay.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using namespace gemlets;

const std::string fileName = "fuzzed.replay";
// Drop steps cost tens of microseconds each here: the corpus's longest games (soak-2, soak-15)
// are read but not played, so that the fuzzer's time goes to many short inputs. The asan
// stage plays them whole (Replay.NAME).
constexpr long dropsPlayed = 10'000;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "replay fuzz: %s\n", what.c_str());
    std::abort();
}

std::string written(const Replay& replay) {
    ReplayWriter writer(replay.seed);
    for (const ReplayEntry& entry : replay.entries)
        writer.add(entry);
    if (replay.end)
        writer.end(*replay.end);
    return writer.text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer's buffer is exactly `size` bytes, so AddressSanitizer catches a read past it.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Replay replay;
    try {
        replay = parseReplay(text, fileName);
    } catch (const ReplayError& error) {
        if (!std::string_view(error.what()).starts_with(fileName + ": line "))
            fail(std::string("refused without naming the file and the line: ") + error.what());
        return 0;
    }
    // Refused, it throws out of here: std::terminate, which libFuzzer reports with the reason.
    const std::string again = written(replay);
    if (written(parseReplay(again, fileName)) != again)
        fail("an accepted replay, written back, reads back otherwise:\n" + again);
    long drops = 0;
    for (const ReplayEntry& entry : replay.entries)
        drops += entry.event.kind == EventKind::drop ? entry.repeat : 0;
    if (drops > dropsPlayed)
        return 0;
    std::ostringstream err;
    const int status = playUnseen(replay, err);
    std::ostream nowhere(nullptr);
    Game game(nowhere);
    ReplayPlayer inSteps(replay, game);
    for (const ReplayEntry& entry : replay.entries)
        inSteps.playUntil(entry.time);
    using enum ReplayPlayer::Verdict;
    if (status < 0 || status > 2 ||
        inSteps.verdict() != std::array{done, differs, impossible}[std::size_t(status)] ||
        err.str() != (status == 0 ? "" : "gemlets: " + inSteps.problem() + '\n') ||
        (status != 0 && !inSteps.problem().starts_with(fileName + ": event ")))
        fail("status " + std::to_string(status) + " at once, but in steps: " + inSteps.problem());
    return 0;
}

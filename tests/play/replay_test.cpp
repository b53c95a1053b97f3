// SPDX-License-Identifier: MIT
// Replays read back: every kind of entry reads back as it was written; a recorded game checks
// as it was played, with its standard output; one cut short, corrupted, of another version,
// with a malformed line or field or an event that cannot happen is refused, saying where,
// with status 2 and nothing written; one that plays otherwise stops at that turn with status
// 1; one killed after a turn checks up to there.
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_schedule.h"
#include "play/replay.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

struct Recording {
    std::string text;
    std::string atTurn; // what the file held after the turn step: a game killed then
    std::string out;    // the game's standard output
};

// The first pair lands in column 3 and completes a red row that its turn step clears: a
// pause, an unbound button and pad button, the drop steps, `meddle` just before the turn,
// then Escape.
Recording record(const std::function<void(Game&, Recorder&)>& meddle = {}) {
    std::ostringstream out;
    std::ostringstream text;
    Game game(out);
    Recorder recorder(text, 7);
    Watching watching(game, recorder);
    startGame(game);
    DropTask dropTask(game); // never started: every step is made here
    enterGame(game, loadEvent(fixture::bottomRows({"*11*1*"}), "test.txt"));
    pressKey(game, dropTask, Key::p);
    pressButton(game, dropTask, 0);
    pressButton(game, dropTask, 2, Pad::standard);
    pressKey(game, dropTask, Key::p);
    while (game.state != State::newGemlets)
        dropStep(game);
    if (meddle)
        meddle(game, recorder);
    RandomGenerator random(7);
    turnStep(game, random);
    const std::string atTurn = text.str();
    pressKey(game, dropTask, Key::escape);
    recorder.finish();
    return {text.str(), atTurn, out.str()};
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// Each kind once or twice, as the file holds it; the load's rows follow its line.
TEST(Replay, EveryKindOfEntryReadsBackAsItWasWritten) {
    const auto at = [](long time, Event event, std::uint32_t checksum = 0, int repeat = 1) {
        return ReplayEntry{
            .time = time, .event = std::move(event), .checksum = checksum, .repeat = repeat};
    };
    const Field rows = fixture::bottomRows({"0123**"});
    const struct {
        std::string_view kind;
        std::optional<ReplayEntry> entry;
        std::string line;
    } cases[] = {
        {"key", at(1, inputEvent(Source::key, int(Key::p), Command::togglePause)),
         "1 key p togglePause\n"},
        {"button", at(2, inputEvent(Source::button, 13, Command::rotate)), "2 button 13 rotate\n"},
        {"pad", at(3, padEvent(PadButton::leftShoulder, 4, std::nullopt)),
         "3 pad leftShoulder 4 -\n"},
        {"pad", at(3, padEvent(PadButton::dpadUp, std::nullopt, Command::rotate)),
         "3 pad dpadUp rotate\n"},
        {"signal", at(4, inputEvent(Source::signal, std::nullopt, Command::quit)),
         "4 signal quit\n"},
        {"drop", at(4, eventOf(EventKind::drop)), "4 drop\n"},
        {"drop", at(4, eventOf(EventKind::drop), 0, 3), "4 drop 3\n"},
        {"frame", at(5, eventOf(EventKind::frame)), "5 frame\n"},
        {"hidden", at(6, eventOf(EventKind::hidden)), "6 hidden\n"},
        {"load", at(0, loadEvent(rows, "")), "0 load\n" + fieldToText(rows)},
        {"turn", at(9, eventOf(EventKind::turn), 0x0123abcd), "9 turn 0123abcd "},
        {"end", std::nullopt, "10 end "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ReplayWriter written(7);
        if (c.entry)
            written.add(*c.entry);
        written.end(10);
        const Replay read = parseReplay(written.text(), "game.replay");
        ReplayWriter again(read.seed);
        for (const ReplayEntry& entry : read.entries)
            again.add(entry);
        again.end(read.end.value_or(-1));
        EXPECT_EQ(again.text(), written.text());
        EXPECT_NE(written.text().find('\n' + c.line), std::string::npos) << written.text();
    }
    for (const EntryKind& kind : entryKinds)
        EXPECT_TRUE(std::ranges::any_of(cases, [&](const auto& c) { return c.kind == kind.name; }))
            << "no case for '" << kind.name << "'";
}

TEST(Replay, ChecksAsRecordedOrSaysWhereAndWhy) {
    SKIP_UNLESS_STANDARD_FIELD();
    const Recording game = record();
    const std::string& t = game.text;
    const struct {
        const char* what;
        std::string text;
        int status;
        std::string said;
    } cases[] = {
        {"as recorded", t, 0, ""},
        {"killed after its turn", game.atTurn, 0, "without its end"},
        {"cut short", t.substr(0, t.size() - 3), 2, "cut short inside this line"},
        {"corrupted", replaced(t, "button 0 -", "button 1 -"), 2, "the file is corrupted"},
        // The first drop line: how many steps share it depends on the clock's milliseconds.
        {"an unknown line", replaced(t, " drop", " dorp"), 2, "unknown event 'dorp'"},
        {"a later version", replaced(t, "replay 2", "replay 3"), 2, "format version '3'"},
        {"a pad in version 1", replaced(t, "replay 2", "replay 1"), 2,
         "'pad' came with format version 2"},
        {"a word too many", replaced(t, "pad x 2 -", "pad x 2 - -"), 2,
         "'pad' is written 'TIME pad BUTTON [N] COMMAND'"},
        {"a malformed field", replaced(t, "*11*1*", "*11*4*"), 2, "a row of the starting field"},
        {"a frame with nothing to show",
         record([](Game& g, Recorder& r) { r.entered(eventOf(EventKind::frame), g); }).text, 2,
         "frame that cannot happen here"},
        {"a turn that scored otherwise", record([](Game& g, Recorder&) { g.points += 2; }).text, 1,
         "the field, score or level differ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = fixture::tempFile("game.replay", c.text);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(checkReplay(path, out, err), c.status);
        EXPECT_NE(err.str().find(c.said), std::string::npos) << err.str();
        // The game's output when it plays; nothing when it cannot; what and where otherwise.
        EXPECT_EQ(out.str(), c.status == 0 ? game.out : c.status == 2 ? "" : out.str());
        const std::string where = c.status == 1 ? "game.replay: event" : "game.replay: ";
        EXPECT_TRUE(c.status == 0 || err.str().find(where) != std::string::npos) << err.str();
    }
}

} // namespace
} // namespace gemlets

// SPDX-License-Identifier: MIT
// Replays read back: every kind of entry reads back as it was written; a recorded game checks
// as it was played, with its standard output; one cut short, corrupted, of another version,
// with a malformed line or field or an event that cannot happen is refused, saying where,
// with status 2 and nothing written; one that plays otherwise stops at that turn with status
// 1; one killed after a turn checks up to there.
#include "tests/play/recorded_game.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

using fixture::record;
using fixture::Recording;

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
    // The kind's name, the entry (none: the end alone) and its line.
    const std::tuple<std::string_view, std::optional<ReplayEntry>, std::string> cases[] = {
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
    for (const auto& [name, entry, line] : cases) {
        SCOPED_TRACE(line);
        ReplayWriter written(7);
        if (entry)
            written.add(*entry);
        written.end(10);
        const Replay read = parseReplay(written.text(), "game.replay");
        ReplayWriter again(read.seed);
        for (const ReplayEntry& e : read.entries)
            again.add(e);
        again.end(read.end.value_or(-1));
        EXPECT_EQ(again.text(), written.text());
        EXPECT_NE(written.text().find('\n' + line), std::string::npos) << written.text();
    }
    for (const EntryKind& kind : entryKinds)
        EXPECT_TRUE(
            std::ranges::any_of(cases, [&](const auto& c) { return std::get<0>(c) == kind.name; }))
            << "no case for '" << kind.name << "'";
}

// The message after "gemlets: FILE: " and the standard output, exactly: nothing for a file
// that cannot be read or played, the game's up to the turn that differs, or up to a killed
// game's last.
TEST(Replay, ChecksAsRecordedOrSaysWhereAndWhy) {
    SKIP_UNLESS_STANDARD_FIELD();
    const Recording game = record();
    const std::string& t = game.text;
    const std::string header = t.substr(0, t.find("0 load"));
    const std::string load = t.substr(header.size(), t.find("0 key") - header.size());
    EXPECT_NE(t.find("\n0 drop 5\n1 drop 5\n1234 turn "), std::string::npos) << t;
    std::string events(header);
    for (std::size_t n = 0; n <= replayMaxEvents; ++n)
        events += "0 frame\n";
    const std::string badTime = "an event is 'TIME WHAT ...', TIME in milliseconds from 0 to "
                                "604800000 (a week)";
    const struct {
        const char* what;
        std::string text;
        int status;
        std::string said;
        // What cannot be read as a replay at all; else a file of the text.
        std::filesystem::path path{};
    } cases[] = {
        {"as recorded", t, 0, ""},
        {"killed after its turn", game.atTurn, 0,
         "the recording ends after event 8 at 1.234 s, without its end (the game was killed): "
         "checked up to there"},
        {"empty", "", 2, "line 1: the file ends where the header belongs"},
        {"cut short", t.substr(0, t.size() - 3), 2,
         "line 27: the file is cut short inside this line"},
        {"corrupted", replaced(t, "button 0 -", "button 1 -"), 2,
         "line 24: the file is corrupted: the text before this line does not match its check"},
        {"an unknown line", replaced(t, " drop", " dorp"), 2, "line 22: unknown event 'dorp'"},
        {"a later version", replaced(t, "replay 2", "replay 3"), 2,
         "line 1: format version '3'; this gemlets reads versions 1 to 2"},
        {"another field size", replaced(t, "field 6 12", "field 7 12"), 2,
         "line 3: this gemlets plays a field of 6 x 12 cells: the line must be 'field 6 12'"},
        {"a pad in version 1", replaced(t, "replay 2", "replay 1"), 2,
         "line 20: 'pad' came with format version 2; this file is version 1"},
        {"a word too many", replaced(t, "pad x 2 -", "pad x 2 - -"), 2,
         "line 20: 'pad' is written 'TIME pad BUTTON [N] COMMAND'"},
        {"a button past 255", replaced(t, "button 0 -", "button 256 -"), 2,
         "line 19: a button is a number from 0 to 255, not '256'"},
        {"a key and another command", replaced(t, "key p togglePause", "key p quit"), 2,
         "line 18: the key p does not make quit"},
        {"a second starting field", replaced(t, "0 key", load + "0 key"), 2,
         "line 18: a second starting field"},
        {"a malformed field", replaced(t, "*11*1*", "*11*4*"), 2,
         "line 17: a row of the starting field is 6 cells of '*' or '0' to '3', not '*11*4*'"},
        {"a time going back", replaced(t, "1234 key", "1000 key"), 2,
         "line 26: time goes back, from 1234 to 1000 ms"},
        {"a time past a week", replaced(t, "1234 key", "604800001 key"), 2, "line 26: " + badTime},
        {"a time past long", replaced(t, "1234 key", "99999999999999999999 key"), 2,
         "line 26: " + badTime},
        {"more drop steps than a millisecond holds", replaced(t, "0 drop 5", "0 drop 100001"), 2,
         "line 22: drop steps in a row are counted from 2 to 100000, not '100001'"},
        {"millions of events", events, 2,
         "line 1000005: more than 1000000 events, far more than a game makes"},
        {"a frame with nothing to show",
         record([](Game& g, Recorder& r) { r.entered(eventOf(EventKind::frame), g); }).text, 2,
         "event 8 (line 24, at 1.234 s): a frame that cannot happen here: the field is up to date"},
        {"a turn that scored otherwise", record([](Game& g, Recorder&) { g.points += 2; }).text, 1,
         "event 8 (line 24, at 1.234 s): after this turn step the field, score or level differ "
         "from the recording's (checksum 2505e3b4, recorded a58afef5)"},
        {"no file", "", 2, "cannot open: No such file or directory", "/none"},
        {"a folder", "", 2, "cannot read: Is a directory", ::testing::TempDir()},
        {"endless", "", 2, "more than 64 MB, far more than a game makes", "/dev/zero"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path path =
            c.path.empty() ? fixture::tempFile("game.replay", c.text) : c.path;
        std::ostringstream out, err;
        EXPECT_EQ(checkReplay(path, out, err), c.status);
        EXPECT_EQ(err.str(),
                  c.said.empty() ? "" : "gemlets: " + path.string() + ": " + c.said + "\n");
        EXPECT_EQ(out.str(), c.status == 2                     ? ""
                             : c.status == 0 && c.said.empty() ? game.out
                                                               : game.outAtTurn);
    }
}

} // namespace
} // namespace gemlets

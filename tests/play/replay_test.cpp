// SPDX-License-Identifier: MIT
// Replays read back: a recorded game checks as it was played, with its standard output; one
// cut short, corrupted, of another version, with a malformed field or an event that cannot
// happen is refused, saying where, with status 2 and nothing written; one that plays
// otherwise stops at that turn with status 1; one killed after a turn checks up to there.
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_schedule.h"
#include "play/replay.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

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
// pause, an unbound button, the drop steps, `meddle` just before the turn, then Escape.
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
        {"another version", replaced(t, "replay 1", "replay 2"), 2, "format version '2'"},
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

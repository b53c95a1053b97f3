// SPDX-License-Identifier: MIT
// A short game played step by step and recorded as the game records one, for the suites that
// read it back or watch it again.
#pragma once

#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_schedule.h"
#include "play/replay.h"
#include "play/sound_cues.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace gemlets::fixture {

struct Recording {
    std::string text;
    std::string atTurn;    // what the file held after the turn step: a game killed then
    std::string out;       // the game's standard output
    std::string outAtTurn; // and what it had written by the turn step
    std::vector<Cue> cues; // what it sounded, up to Escape
};

// The first pair lands in column 3 and completes a red row that its turn step clears: a
// pause, an unbound button and pad button, the drop steps (half of them at 1 ms), `meddle`
// just before the turn at 1.234 s, then an unbound button, Escape and, after the end, the page
// hidden. The recorder's clock moves only then. The game starts with `points`.
inline Recording record(const std::function<void(Game&, Recorder&)>& meddle = {}, int points = 0) {
    std::ostringstream out, text;
    Game game(out);
    Recorder::Clock::time_point now;
    Recorder recorder(text, 7, [&now] { return now; });
    Watching watching(game, recorder);
    SoundCues sounds(game);
    startGame(game);
    game.points = points;
    DropTask dropTask(game); // never started: every step is made here
    enterGame(game, loadEvent(fixture::bottomRows({"*11*1*"}), "test.txt"));
    pressKey(game, dropTask, Key::p);
    pressButton(game, dropTask, 0);
    pressButton(game, dropTask, 2, Pad::standard);
    pressKey(game, dropTask, Key::p);
    for (int step = 0; game.state != State::newGemlets; ++step) {
        now += std::chrono::milliseconds(step == 5);
        dropStep(game);
    }
    now += std::chrono::milliseconds(1233);
    if (meddle)
        meddle(game, recorder);
    RandomGenerator random(7);
    turnStep(game, random);
    const std::string atTurn = text.str();
    const std::string outAtTurn = out.str();
    pressButton(game, dropTask, 0);
    pressKey(game, dropTask, Key::escape);
    const std::vector<Cue> cues = sounds.take();
    recorder.finish();
    enterGame(game, eventOf(EventKind::hidden));
    EXPECT_EQ(recorder.text(), text.str()) << "recorded after the end";
    return {text.str(), atTurn, out.str(), outAtTurn, cues};
}

} // namespace gemlets::fixture

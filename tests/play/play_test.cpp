// SPDX-License-Identifier: MIT
// The SDL-free play library: buttons, the pause toggle, the turn step, the field file under
// the first pair, the drop step's announcement of a landing, the watchers of a game's events,
// and the command line.
#include "model/game_start.h"
#include "play/commands.h"
#include "play/frame_pacer.h"
#include "play/game_events.h"
#include "play/load_field.h"
#include "play/options.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <vector>

namespace gemlets {
namespace {

using fixture::fieldPicture;

class PlayTest : public ::testing::Test {
protected:
    PlayTest() { startGame(game); }

    std::ostringstream out;
    Game game{out};
    DropTask dropTask{game}; // never started: the tests drive every step themselves
};

// Each key and its GP2X button as the player expects them. While paused Left and Right move the
// pair and end the pause; Up turns it, Down and Space drop it, and the game stays paused. P
// toggles only between pause and play. At game over the landed pair stays where it is. A button
// writes its line first; an unbound one, only that.
TEST_F(PlayTest, KeysAndButtonsActInEveryStateAndOnlyAMoveEndsAPause) {
    const std::string start = fixture::topRows({"******", "***3**", "***1**"});
    // A key, its button, the state before, and the field and state after.
    const std::tuple<std::optional<Key>, int, State, std::string, State> cases[] = {
        {Key::left, 2, State::pause, fixture::topRows({"", "**3***", "**1***"}), State::unpause},
        {Key::right, 6, State::pause, fixture::topRows({"", "****3*", "****1*"}), State::unpause},
        {Key::up, 13, State::pause, fixture::topRows({"", "**13**"}), State::pause},
        {Key::down, 4, State::pause, fixture::topRows({"", "", "***3**", "***1**"}), State::pause},
        {Key::space, 14, State::pause, fieldToText(fixture::bottomRows({"***3**", "***1**"})),
         State::pause},
        {Key::p, 8, State::unpause, start, State::pause},
        {Key::p, 8, State::pause, start, State::unpause},
        {Key::p, 8, State::newGemlets, start, State::newGemlets},
        {Key::left, 2, State::gameover, start, State::gameover},
        {std::nullopt, 0, State::pause, start, State::pause},
    };
    for (const auto& [key, button, from, field, to] : cases) {
        for (const bool byButton : {!key, true}) { // no key: the button alone
            startGame(game);
            gemletsToField(game);
            game.state = from;
            for (const GemletPtr& g : game.gemlets) // at game over the last pair has landed
                if (from == State::gameover)
                    setGemletState(*g, GemletState::landed);
            out.str("");
            if (byButton)
                pressButton(game, dropTask, button);
            else if (key)
                pressKey(game, dropTask, *key);
            const std::string what = "button " + std::to_string(button) + " or its key, state " +
                                     std::to_string(static_cast<int>(from));
            EXPECT_EQ(fieldPicture(game), field) << what;
            EXPECT_EQ(game.state, to) << what;
            EXPECT_EQ(out.str(),
                      byButton ? "\nbutton  " + std::to_string(button) + " pressed\n" : "")
                << what;
        }
    }
}

// A pad that is not the GP2X's, numbered as Linux numbers a common one or in SDL2's controller
// order: A rotates, B drops, Start pauses, Back quits, its d-pad buttons move; X, Y,
// shoulders, Guide, stick clicks nothing. The GP2X's numbers stay its own: there 9 quits.
TEST_F(PlayTest, EachPadReadsItsButtonsByItsOwnNumbers) {
    using enum Command;
    const std::optional<Command> standard[] = {rotate,    hardDrop,    {},      {}, {}, {},
                                               quit,      togglePause, {},      {}, {}, moveLeft,
                                               moveRight, rotate,      dropOne, {}};
    const std::optional<Command> controller[] = {rotate,      hardDrop, {},        {}, quit, {},
                                                 togglePause, {},       {},        {}, {},   rotate,
                                                 dropOne,     moveLeft, moveRight, {}};
    for (int b = 0; b < 16; ++b) {
        EXPECT_EQ(commandForButton(Pad::standard, b), standard[b]) << "pad button " << b;
        EXPECT_EQ(commandForButton(Pad::controller, b), controller[b]) << "controller " << b;
    }
    EXPECT_TRUE(commandForButton(Pad::gp2x, 9) == quit && !commandForButton(Pad::gp2x, 0));
    EXPECT_TRUE(padShaped(19, 0) == Pad::gp2x && padShaped(19, 1) == Pad::standard &&
                padShaped(11, 1) == Pad::standard);
}

// Either spawn cell taken, the left or the right.
TEST_F(PlayTest, ATakenSpawnCellEndsTheGameWithoutASearch) {
    for (const std::string_view top : {"**2***", "***2**"}) {
        fixture::layOut(game, {top});
        game.state = State::newGemlets;
        RandomGenerator random(1);
        turnStep(game, random);
        EXPECT_EQ(game.state, State::gameover) << top;
        EXPECT_EQ(game.gemlets.size(), 1u) << fieldPicture(game);
    }
    EXPECT_EQ(out.str(), "") << "no group search after game over";
}

// The file as start-up reads it: either cell of the first pair taken, a short file, no file or a
// folder is refused with the game untouched; a last line without its line end is read.
TEST_F(PlayTest, AFieldFileIsReadWholeOrRefusedWithTheGameUntouched) {
    SKIP_UNLESS_STANDARD_FIELD();
    const std::string empty = fixture::topRows({});
    // A file, and what its refusal says after its name; the last one is read.
    const std::pair<std::filesystem::path, std::string> cases[] = {
        {fixture::tempFile("taken1.txt", fixture::topRows({"******", "***0**"})),
         ": line 2, column 4: cell (3, 1) is taken by the first falling pair; it must be '*'"},
        {fixture::tempFile("taken2.txt", fixture::topRows({"******", "******", "***0**"})),
         ": line 3, column 4: cell (3, 2) is taken by the first falling pair; it must be '*'"},
        {fixture::tempFile("short.txt", empty.substr(0, 35)),
         ": the file ends after 30 of 72 cells (it needs 12 lines of 6 cells '*' or '0' to '3')"},
        {"/none/test.txt", ": cannot open: No such file or directory"},
        {::testing::TempDir(), ": cannot read: Is a directory"},
        {fixture::tempFile("test.txt", empty.substr(0, 70) + "2*****\n00000*"), ""},
    };
    for (const auto& [path, message] : cases) {
        const std::string before = fieldPicture(game);
        try {
            loadField(game, path);
            EXPECT_EQ(message, "") << path << " read";
        } catch (const FieldFileError& error) {
            EXPECT_EQ(error.what(), path.string() + message);
            EXPECT_EQ(fieldPicture(game), before) << path;
        }
    }
    EXPECT_EQ(fieldPicture(game), fixture::topRows({"", "***3**", "***1**", "", "", "", "", "", "",
                                                    "", "2*****", "00000*"}));
}

// A drop step leaves the field showing its last gemlet a row higher; a turn right after it
// must still see the cell that gemlet has just entered as taken.
TEST_F(PlayTest, ATurnRightAfterADropStepNeverSwingsIntoACellJustTaken) {
    loadField(game, fixture::tempFile("test.txt", fixture::topRows({"***2**"})));
    applyCommand(game, dropTask, Command::rotate); // the pair lies flat in row 1
    fieldPicture(game);                            // the frame step's field update
    dropStep(game);                                // the pair to row 2, the green to (3, 1)
    applyCommand(game, dropTask, Command::rotate); // would swing the red up into (3, 1)
    EXPECT_EQ(fieldPicture(game), fixture::topRows({"******", "***2**", "**13**"}));
}

TEST_F(PlayTest, APauseTakenBeforeALandingOutlastsItAndTheLandingComesOnResume) {
    fixture::layOut(game, {"***3**"});
    game.gemlets.front()->state = GemletState::landed; // everything has landed
    game.state = State::pause;
    dropStep(game);
    EXPECT_EQ(game.state, State::pause);
    applyCommand(game, dropTask, Command::togglePause);
    dropStep(game);
    EXPECT_EQ(game.state, State::newGemlets);
}

// Each game tells its own watchers, every one, of its events in order, until each leaves.
TEST_F(PlayTest, EveryWatcherOfAGameHearsItsEventsUntilItLeaves) {
    struct Heard : GameWatcher {
        std::vector<EventKind> kinds;
        void entered(const Event& event, const Game&) override { kinds.push_back(event.kind); }
    } first, second, ofOther;
    Game other{out};
    const Watching watchingFirst(game, first);
    const Watching watchingOther(other, ofOther);
    {
        const Watching watchingSecond(game, second);
        dropStep(game);
        dropStep(other);
    }
    applyCommand(game, dropTask, Command::togglePause);
    using enum EventKind;
    EXPECT_EQ(first.kinds, (std::vector{drop, input}));
    EXPECT_EQ(second.kinds, std::vector{drop});
    EXPECT_EQ(ofOther.kinds, std::vector{drop});
}

// Ten frames a second: a steady beat, and a frame that ran late starts the beat anew from its
// end instead of rushing the next ones to catch up.
TEST(FramePacer, KeepsABeatAndStartsItAnewAfterALateFrame) {
    const FramePacer::Clock::time_point zero{};
    FramePacer pacer(10, zero);
    const std::pair<int, int> endsAndStarts[] = {{1, 100}, {150, 200}, {350, 350}, {360, 450}};
    for (const auto& [end, start] : endsAndStarts)
        EXPECT_EQ(pacer.nextStart(zero + std::chrono::milliseconds(end)),
                  zero + std::chrono::milliseconds(start))
            << "a frame ending at " << end << " ms";
}

// What each command line launches, and its settings: --scale and --fullscreen make the window
// one the player may resize; a refusal's reason names what it refuses.
TEST(Options, EachCommandLinePlaysShowsTextOrIsRefusedNamingTheFault) {
    using enum Launch;
    // The arguments, what they launch, the frame rate, the scale, whether on the whole screen,
    // and what the reason of a refusal names.
    const std::tuple<std::vector<std::string_view>, Launch, int, int, bool, std::string_view>
        rows[] = {{{}, play, 0, 1, false, ""},
                  {{"--frame-rate", "1"}, play, 1, 1, false, ""},
                  {{"--frame-rate", "1000"}, play, 1000, 1, false, ""},
                  {{"--no-joystick", "--frame-rate", "5"}, play, 5, 1, false, ""},
                  {{"--no-sound", "--replay", "a.replay"}, watch, 0, 1, false, ""},
                  {{"--help", "--bogus"}, help, 0, 1, false, ""},
                  {{"--version"}, version, 0, 1, false, ""},
                  {{"--scale", "1"}, play, 0, 1, false, ""},
                  {{"--scale", "8", "--fullscreen"}, play, 0, 8, true, ""},
                  {{"--scale", "fit"}, play, 0, fitScale, false, ""},
                  {{"--fullscreen"}, play, 0, 1, true, ""},
                  {{"--fullscreen", "--replay", "r", "--scale", "3"}, watch, 0, 3, true, ""},
                  {{"--frame-rate", "0"}, refuse, 0, 1, false, "'0'"},
                  {{"--frame-rate", "1001"}, refuse, 0, 1, false, "'1001'"},
                  {{"--frame-rate", "abc"}, refuse, 0, 1, false, "'abc'"},
                  {{"--frame-rate", "60x"}, refuse, 0, 1, false, "'60x'"},
                  {{"--frame-rate"}, refuse, 0, 1, false, "needs a number"},
                  {{"--bogus", "--help"}, refuse, 0, 1, false, "'--bogus'"},
                  {{"--scale", "0"}, refuse, 0, 1, false, "'0'"},
                  {{"--scale", "9"}, refuse, 0, 1, false, "'9'"},
                  {{"--scale", "Fit"}, refuse, 0, 1, false, "'Fit'"},
                  {{"--scale", "2x"}, refuse, 0, 1, false, "'2x'"},
                  {{"--scale"}, refuse, 0, 1, false, "needs a whole number from 1 to 8 or 'fit'"},
                  {{"--fullscreen", "yes"}, refuse, 0, 1, false, "'yes'"}};
    for (const auto& [args, launch, frameRate, scale, fullscreen, named] : rows) {
        const Options options = parseOptions(args);
        const auto given = [&](std::string_view option) {
            return std::ranges::find(args, option) != args.end();
        };
        EXPECT_TRUE(options.launch == launch && options.frameRate == frameRate &&
                    options.joystick == !given("--no-joystick") &&
                    options.sound == !given("--no-sound") &&
                    (named.empty() ? options.error.empty()
                                   : options.error.find(named) != std::string::npos) &&
                    (launch == refuse ||
                     (options.scale == scale && options.fullscreen == fullscreen &&
                      options.resizable == (given("--scale") || given("--fullscreen")))))
            << ::testing::PrintToString(args) << " " << options.error;
    }
}

// The scale a 384 x 384 window opens at: --scale fit the largest whose window takes at most 90%
// of the screen's height (768 is more than 90% of 800) and fits its width (a portrait screen);
// an asked scale unless its window does not fit, said in a line. A screen SDL cannot tell is
// taken at its word.
TEST(Options, EachScreenGetsTheScaleAskedOrTheLargestThatFits) {
    const std::string_view note =
        "a 1152 x 1152 window (--scale 3) does not fit the 1920 x 1080 screen: --scale 2";
    const std::tuple<int, int, int, int, std::string_view> rows[] = {
        {fitScale, 1920, 1080, 2, ""},  {fitScale, 3840, 2160, 5, ""},
        {fitScale, 1280, 720, 1, ""},   {fitScale, 1920, 800, 1, ""},
        {fitScale, 1080, 1920, 2, ""},  {fitScale, 7680, 4320, 8, ""},
        {fitScale, 320, 240, 1, ""},    {fitScale, 0, 0, 1, ""},
        {2, 1920, 1080, 2, ""},         {3, 1920, 1080, 2, note},
        {2, 1280, 720, 1, "--scale 1"}, {5, 3840, 2160, 5, ""},
        {1, 320, 240, 1, ""},           {8, 0, 0, 8, ""}};
    for (const auto& [asked, screenW, screenH, scale, said] : rows) {
        const ScaleChoice choice = chooseScale(asked, screenW, screenH, 384, 384);
        EXPECT_TRUE(
            choice.scale == scale &&
            (said.empty() ? choice.note.empty() : choice.note.find(said) != std::string::npos))
            << asked << " on " << screenW << "x" << screenH << ": " << choice.scale << " "
            << choice.note;
    }
}

} // namespace
} // namespace gemlets

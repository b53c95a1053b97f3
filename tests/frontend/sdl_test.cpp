// SPDX-License-Identifier: MIT
// The SDL front end on SDL's dummy video driver: events pushed with SDL_PushEvent, drop
// steps called directly, every frame read back from the 16-bit video surface and the parts
// handed to SDL gathered into the window; a flood of events, and a stop signal beside the
// real drop task.
#include "frontend/keys.h"
#include "frontend/main_loop.h"
#include "frontend/resources.h"
#include "frontend/watch.h"
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "play/replay.h"
#include "play/stop_signals.h"
#include "tests/field_fixture.h"
#include "tests/sdl_fixture.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace gemlets {
namespace {

// Where the build puts the game's font, images and field file.
const std::filesystem::path runDir = GEMLETS_RUN_DIR;

using fixture::pixelAt;
using fixture::solidImage;

// Pure colours survive 16 bits exactly: the cell images', the game-over image's, then white.
constexpr SDL_Color colours[] = {{0, 0, 255, 0},   {255, 0, 0, 0},   {0, 255, 0, 0},
                                 {255, 255, 0, 0}, {255, 0, 255, 0}, {255, 255, 255, 0}};
constexpr int gameoverHeight = 100; // covers rows 0 to 2

Uint16 mapped(SDL_Surface* s, SDL_Color c) {
    return SDL_MapRGB(s->format, c.r, c.g, c.b);
}

// The field area in the field text form, read at each cell's centre: '0' to '3' a cell image,
// 'X' the game-over image, '*' white, '?' anything else.
std::string picture(SDL_Surface* s) {
    std::string text;
    for (int cell = 0; cell < fieldW * fieldH; ++cell) {
        const int x = cell % fieldW * gemletW + gemletW / 2,
                  y = cell / fieldW * gemletH + gemletH / 2;
        char shown = '?';
        for (int i = 0; i < 6; ++i)
            shown = pixelAt(s, x, y) == mapped(s, colours[i]) ? "0123X*"[i] : shown;
        text += shown;
        if (cell % fieldW == fieldW - 1)
            text += '\n';
    }
    return text;
}

const std::string startPicture = fixture::topRows({"******", "***3**", "***1**"});

// A started game and its window, cells drawn in pure colours. The drop task is never started:
// drop steps are called directly and nothing moves unless the test says so.
class SdlTest : public ::testing::Test {
protected:
    SdlTest() {
        startGame(game);
        screen.surface = openWindow();
        for (std::size_t c = 0; c < screen.cellImages.size(); ++c)
            screen.cellImages[c] = solidImage(screen.surface, gemletW, gemletH, colours[c]);
        screen.gameover = solidImage(screen.surface, fieldW * gemletW, gameoverHeight, colours[4]);
        screen.font = openFont(runDir / fontFile);
    }

    // A key press, or with SDL_JOYBUTTONDOWN a button press, for the next iteration.
    void push(Uint8 type, int code = 0) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = SDLKey(code);
        if (type == SDL_JOYBUTTONDOWN)
            event.jbutton.button = Uint8(code);
        if (type == SDL_JOYHATMOTION)
            event.jhat.value = Uint8(code);
        ASSERT_EQ(SDL_PushEvent(&event), 0) << SDL_GetError();
    }

    // What a platform's session does, on the driver only the tests pick.
    struct Session {
        Session() {
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            if (SDL_Init(SDL_INIT_VIDEO) < 0 || TTF_Init() < 0)
                throw StartupError(sdlFailure("SDL_Init"));
            ignoreUnusedEvents({SDL_ACTIVEEVENT});
        }
        ~Session() {
            TTF_Quit();
            SDL_Quit();
        }
    } session;
    std::ostringstream out;
    Game game{out};
    DropTask dropTask{game};
    Screen screen;
    RandomGenerator random{5489};
    MainLoop loop{game, dropTask, screen, random, [] {
                      return false;
                  }};
};

// The text right of the field that the last frame drawn shows, where the window's layout puts
// it: 10 pixels right of the field, its top at half the window's height.
std::string shownText(const Screen& screen) {
    for (const Placement& p : screen.shown)
        if (!p.text.empty())
            return p.x == fieldW * gemletW + 10 && p.y == windowHeight / 2 ? p.text
                                                                           : "misplaced " + p.text;
    return "";
}

// A frame is drawn only when what the window shows changes, and SDL is handed only the parts
// that changed: the window, which receives only those, must still show every frame at once,
// also after an expose has blanked it. Each step, then its iteration: whether it drew, the
// field ('X' the game-over image; "" not checked) and the score or "Paused".
TEST_F(SdlTest, EachChangeIsShownAtOnceAndNothingIsDrawnWithoutOne) {
    EXPECT_EQ(SDL_EventState(SDL_VIDEOEXPOSE, SDL_QUERY), SDL_ENABLE) << "exposes filtered out";
    std::vector<Uint16> window(windowWidth * windowHeight); // black until handed over
    const auto press = [&](SDLKey key) {
        return [&, key] {
            push(SDL_KEYDOWN, key);
        };
    };
    const auto landAll = [&] {
        while (game.state != State::newGemlets)
            dropStep(game);
    };
    const std::string landed = fieldToText(fixture::bottomRows({"**3***", "**1***"}));
    // An event the platform's window takes (the desktop's F11, a resize) never reaches the game.
    loop.windowEvent = [](const SDL_Event& e) {
        return e.key.keysym.sym == SDLK_RIGHT;
    };
    // What each step shows, what it does before the iteration, whether it drew, the field and
    // the text.
    const std::tuple<const char*, std::function<void()>, bool, std::string, const char*> steps[] = {
        {"the first frame", [] {}, true, startPicture, "0"},
        {"nothing new", [] {}, false, startPicture, "0"},
        {"a move", press(SDLK_LEFT), true, fixture::topRows({"", "**3***", "**1***"}), "0"},
        {"a key without an action", press(SDLK_a), false, "", "0"},
        {"a key the window takes", press(SDLK_RIGHT), false, "", "0"},
        {"a drop step", [&] { dropStep(game); }, true,
         fixture::topRows({"", "", "**3***", "**1***"}), "0"},
        {"pause", press(SDLK_p), true, "", "Paused"},
        {"still paused", [] {}, false, "", "Paused"},
        {"the score back", press(SDLK_p), true, "", "0"},
        {"a hard drop", press(SDLK_SPACE), true, landed, "0"},
        {"the landing, whose turn step searches twice and spawns", landAll, false, landed, "0"},
        // seed 5489: mt19937's first draws, fixed by the standard, give 0, 2
        {"the next pair",
         [&] {
             EXPECT_EQ(out.str(), "\nbacktrackGemlets\ngemlets count = 2"
                                  "\nbacktrackGemlets\ngemlets count = 2");
         },
         true, "**02**" + landed.substr(6), "0"},
        {"four yellows landed", [&] { fixture::layOut(game, {"3333**"}), landAll(); }, true,
         fieldToText(fixture::bottomRows({"3333**"})), "0"},
        {"the clear and its score", [] {}, true, "", "8"},
        {"an expose blanking the window",
         [&] { push(SDL_VIDEOEXPOSE), std::ranges::fill(window, 0); }, true, "", "8"},
        {"game over", [&] { game.state = State::gameover; }, true,
         fixture::topRows(fixture::Rows(3, std::string(static_cast<std::size_t>(fieldW), 'X'))),
         "8"},
        {"still over", [] {}, false, "", "8"},
        {"quit: a white window", press(SDLK_ESCAPE), true, fixture::topRows({}), ""},
    };
    Uint16* pixels = static_cast<Uint16*>(screen.surface->pixels);
    const std::size_t corner = window.size() - 1; // nothing is placed on it
    for (const auto& [what, act, drawn, field, text] : steps) {
        act();
        pixels[corner] = 0x1234; // only the white fill covers it
        ASSERT_TRUE(runIteration(loop));
        EXPECT_EQ(pixels[corner] != 0x1234, drawn) << what;
        fixture::handOver(screen.surface, screen.updated, window);
        // The window shows the last frame drawn, which the surface holds, corner aside.
        EXPECT_TRUE(std::equal(window.begin(), window.end() - 1, pixels)) << what << ": stale";
        if (!field.empty()) {
            EXPECT_EQ(picture(screen.surface), field) << what;
        }
        EXPECT_EQ(shownText(screen), text) << what;
    }
    EXPECT_EQ(window, std::vector<Uint16>(window.size(), mapped(screen.surface, colours[5])));
    EXPECT_FALSE(runIteration(loop)) << "the loop goes on after the quit";
}

TEST_F(SdlTest, CellsHoldingNoColourStayBlankAndAShortFieldWrapsAtSix) {
    SKIP_UNLESS_STANDARD_FIELD();
    drawField(screen, Field{-1, 255, 2, 4, -7, 0, 3, 1});
    drawPlaced(screen);
    EXPECT_EQ(picture(screen.surface), fixture::topRows({"**2**0", "31****"}));
}

// A standard pad through SDL's queue: its d-pad (a hat) moves and drops, its return to the
// middle does nothing; Guide only writes its line; Start pauses; Back, and only Back, ends the
// run.
TEST_F(SdlTest, AStandardPadPlaysThroughTheQueueAndOnlyBackEndsTheRun) {
    EXPECT_EQ(SDL_EventState(SDL_JOYHATMOTION, SDL_QUERY), SDL_ENABLE) << "the hat filtered out";
    loop.pad = Pad::standard;
    const std::string left = fixture::topRows({"", "**3***", "**1***"});
    const std::tuple<Uint8, int, std::string, bool> steps[] = {
        {SDL_JOYHATMOTION, SDL_HAT_LEFT, left, true},
        {SDL_JOYHATMOTION, SDL_HAT_CENTERED, left, true},
        {SDL_JOYBUTTONDOWN, 8, left, true},
        {SDL_JOYBUTTONDOWN, 7, left, true},
        {SDL_JOYHATMOTION, SDL_HAT_DOWN, fixture::topRows({"", "", "**3***", "**1***"}), true},
        {SDL_JOYBUTTONDOWN, 6, "", false}};
    for (const auto& [type, code, field, running] : steps) {
        push(type, code);
        ASSERT_TRUE(runIteration(loop));
        EXPECT_TRUE(field.empty() || fixture::fieldPicture(game) == field) << code;
        EXPECT_EQ(game.run, running) << code;
    }
    EXPECT_EQ(game.state, State::pause);
    EXPECT_EQ(out.str(), "\nbutton  8 pressed\n\nbutton  7 pressed\n\nbutton  6 pressed\n");
}

// A replay's watcher reads each pad as play does: its pause and quit buttons pause and stop.
TEST(Watch, EachPadsPauseAndQuitButtonsPauseAndStopTheWatching) {
    for (const auto& [pad, pause, stop] :
         {std::tuple{Pad::gp2x, 8, 9}, {Pad::standard, 7, 6}, {Pad::controller, 6, 4}}) {
        SDL_Event event{.jbutton = {SDL_JOYBUTTONDOWN, 0, Uint8(pause), SDL_PRESSED}};
        EXPECT_EQ(watchKeyFor(event, pad), WatchKey::pause) << int(pad);
        event.jbutton.button = Uint8(stop);
        EXPECT_EQ(watchKeyFor(event, pad), WatchKey::stop) << int(pad);
    }
}

// A replay watched at its pace: each event plays once the time watched reaches it, P stands
// that time still until P again, and Escape stops the watching at once, the rest unplayed,
// also in the longest wait a replay may hold; the watching ends with the last event.
TEST_F(SdlTest, AWatchedReplayKeepsItsPaceStandsStillOnPAndStopsOnEscape) {
    Replay replay;
    for (const long time : {100L, 300L, replayMaxTime})
        replay.entries.push_back(
            {.time = time, .event = inputEvent(Source::button, int(replay.entries.size()), {})});
    ReplayPlayer player(replay, game);
    WatchLoop watching{.screen = screen, .game = game, .player = player};
    // Each iteration's key first, its time, and the buttons played by then.
    const long day = 86'400'000, week = replayMaxTime;
    const std::tuple<int, long, const char*> steps[] = {
        {0, 1000, ""},   {0, 1150, "0"}, {SDLK_p, 1400, "0"},      {SDLK_p, 1450, "0"},
        {0, 1600, "01"}, {0, day, "01"}, {SDLK_ESCAPE, day, "01"}, {0, week + 2000, "012"},
    };
    for (const auto& [key, ms, played] : steps) {
        if (key != 0)
            push(SDL_KEYDOWN, key);
        EXPECT_EQ(runWatchIteration(watching,
                                    WatchLoop::Clock::time_point(std::chrono::milliseconds(ms))),
                  key != SDLK_ESCAPE && std::string_view(played) != "012")
            << ms;
        std::string lines;
        for (const char* b = played; *b != 0; ++b)
            lines += std::string("\nbutton  ") + *b + " pressed\n";
        EXPECT_EQ(out.str(), lines) << ms;
    }
}

// Keys that act, one that does not, key releases, mouse motion, closing the window and joystick
// buttons: each iteration takes one, none is lost, and the game ends as a twin fed the presses.
TEST_F(SdlTest, AFloodOfEventsIsTakenOneAnIterationWithNoneLost) {
    const int keys[] = {SDLK_LEFT, SDLK_UP, SDLK_a, SDLK_RIGHT, SDLK_DOWN, SDLK_p, SDLK_UP, SDLK_p};
    std::ostringstream twinOut;
    Game twin{twinOut};
    startGame(twin);
    DropTask twinTask{twin};
    // Each event's effect on the twin, applied once the loop has had as many iterations.
    std::vector<std::function<void()>> effects;
    for (std::size_t i = 0; i < 100; ++i) { // within what either SDL 1.2 queues
        const int key = keys[i % std::size(keys)];
        const int button = i % 2 == 0 ? 13 : 6;
        if (i % 11 == 10) {
            push(SDL_JOYBUTTONDOWN, button);
            effects.push_back([&, button] { pressButton(twin, twinTask, button); });
        } else if (i % 5 == 3 || i % 7 == 5) {
            push(i % 5 == 3 ? SDL_KEYUP : i % 2 ? SDL_MOUSEMOTION : SDL_QUIT, key);
            effects.push_back([] {});
        } else {
            push(SDL_KEYDOWN, key);
            effects.push_back([&, key] {
                if (const std::optional<Key> bound = keyForSymbol(key))
                    pressKey(twin, twinTask, *bound);
            });
        }
    }
    for (std::size_t i = 0; i < effects.size(); ++i) {
        ASSERT_TRUE(runIteration(loop));
        effects[i]();
        ASSERT_EQ(fixture::fieldPicture(game), fixture::fieldPicture(twin)) << "event " << i;
        ASSERT_TRUE(game.run && game.state == twin.state) << "event " << i;
    }
    SDL_Event left{};
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "more events than presses";
    EXPECT_EQ(out.str(), twinOut.str()) << "the joystick button lines";
}

// The main loop beside the real drop task, taking keys and buttons, until a stop signal
// arrives on the drop task's own thread, where nothing blocks it.
TEST_F(SdlTest, AStopSignalOnAnyThreadEndsTheLoopLikeEscape) {
    installStopSignalHandlers();
    std::atomic<int> intervals = 0;
    DropTask task(game, [&](int) {
        if (++intervals == 20) // a pair or two: far from game over, where the task would wait
            std::raise(SIGTERM);
        return std::chrono::milliseconds(1);
    });
    MainLoop withSignals{game, task, screen, random};
    task.start();
    const int presses[] = {SDLK_LEFT, SDLK_UP, SDLK_RIGHT, SDLK_DOWN};
    for (int i = 0; runIteration(withSignals); ++i) {
        if (i % 3 == 0)
            push(i % 2 == 0 ? SDL_KEYDOWN : SDL_JOYBUTTONDOWN,
                 i % 2 == 0 ? presses[i / 3 % 4] : 13);
    }
    task.stop();
    EXPECT_FALSE(game.run);
    EXPECT_GE(intervals, 20);
}

// The menu entry's frame rate: about 60 iterations a second, not as many as the loop can run.
TEST_F(SdlTest, AFrameRateOfSixtyPacesTheLoop) {
    const auto start = std::chrono::steady_clock::now();
    int iterations = 0;
    loop.frameRate = 60;
    loop.stopRequested = [&] {
        ++iterations;
        return std::chrono::steady_clock::now() - start >= std::chrono::seconds(1);
    };
    mainLoop(loop);
    EXPECT_TRUE(iterations >= 30 && iterations <= 62) << iterations << " iterations in 1 s";
}

} // namespace
} // namespace gemlets

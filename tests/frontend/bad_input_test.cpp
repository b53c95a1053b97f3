// Bad input that the other suites leave out: field files with a long line, a byte-order mark or
// a folder in their place; unreadable images and fonts; no joystick; a stop signal reaching the
// main loop; and a flood of events, on SDL's dummy video driver.
#include "frontend/commands.h"
#include "frontend/game_start.h"
#include "frontend/main_loop.h"
#include "frontend/sdl_resources.h"
#include "frontend/sdl_session.h"
#include "frontend/stop_signals.h"
#include "model/field_file.h"
#include "model/gravity.h"

#include <SDL.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

std::string emptyRows(int count) {
    std::string rows;
    for (int row = 0; row < count; ++row)
        rows += "******\n";
    return rows;
}

std::string rejection(const std::string& text) {
    Field f = emptyField();
    try {
        textToField(text, f);
    } catch (const FieldFileError& error) {
        return error.what();
    }
    return "accepted:\n" + fieldToText(f);
}

TEST(BadFieldFile, ALongLineOrAByteOrderMarkIsRefusedAtItsPlace) {
    EXPECT_EQ(rejection("0000000\n" + emptyRows(11)),
              "test.txt: line 1, column 7: found '0' where a line end was expected ('*' or "
              "'0' to '3', six to a line)");
    EXPECT_EQ(rejection("\xef\xbb\xbf" + emptyRows(12)).substr(0, 43),
              "test.txt: line 1, column 1: found byte 0xef");
}

TEST(BadFieldFile, AFolderInPlaceOfTheFileIsNamed) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / "gemlets_bad_input";
    std::filesystem::create_directories(folder / fieldFileName);
    Field f = emptyField();
    try {
        fileToField(f, folder / fieldFileName);
        ADD_FAILURE() << "a folder was read as a field:\n" << fieldToText(f);
    } catch (const FieldFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  (folder / fieldFileName).string() + ": cannot read: Is a directory");
    }
    std::filesystem::remove_all(folder);
}

class BadInputSdlTest : public ::testing::Test {
protected:
    BadInputSdlTest() {
        startGame(game);
        screen.surface = openWindow();
    }

    static SdlSession dummySession() {
        setenv("SDL_VIDEODRIVER", "dummy", 1); // only the test picks the driver
        return SdlSession();
    }

    // A file of the given bytes in the test's temporary folder.
    static std::filesystem::path fileOf(const std::string& name, const std::string& bytes) {
        const auto path = std::filesystem::path(::testing::TempDir()) / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    template <class Load> static std::string failure(Load load) {
        try {
            load();
        } catch (const StartupError& error) {
            return error.what();
        }
        return "no failure";
    }

    static std::string picture(Game& g) {
        gemletsToField(g);
        return fieldToText(g.field);
    }

    SdlSession session = dummySession();
    std::ostringstream out;
    Game game{out};
    DropTask dropTask{game}; // never started
    Screen screen;
    RandomGenerator random{1};
    MainLoop loop{game, dropTask, screen, random, [] {
                      return false;
                  }};
};

TEST_F(BadInputSdlTest, AnUnreadableImageOrFontIsNamedWithSdlsReason) {
    const auto junk = fileOf("gemlets_junk", std::string("\x01\x02 not an image or a font", 25));
    EXPECT_EQ(failure([&] { loadImage(junk); }).rfind(junk.string() + ": IMG_Load: ", 0), 0u);
    EXPECT_EQ(failure([&] { openFont(junk, 32); }).rfind(junk.string() + ": TTF_OpenFont: ", 0),
              0u);
    const std::filesystem::path missing = junk.string() + "_missing";
    EXPECT_EQ(failure([&] { openFont(missing, 32); }).rfind(missing.string() + ": TTF_OpenFont", 0),
              0u);
}

TEST_F(BadInputSdlTest, ATruncatedImageStillLoads) {
    std::ifstream in(runDir / "gemlet_red.jpg", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(whole.size(), 200u) << "no image in " << runDir;
    const auto half = fileOf("gemlets_half.jpg", whole.substr(0, whole.size() / 2));
    const SurfacePtr image = loadImage(half);
    EXPECT_TRUE(image->w == gemletW && image->h == gemletH);
}

TEST_F(BadInputSdlTest, WithoutAJoystickTheGameStillRuns) {
    if (SDL_NumJoysticks() > 0)
        GTEST_SKIP() << "this machine has a joystick";
    EXPECT_EQ(openJoystick(), nullptr);
}

TEST_F(BadInputSdlTest, AStopSignalEndsTheLoopLikeEscape) {
    MainLoop withSignals{game, dropTask, screen, random};
    installStopSignalHandlers();
    std::raise(SIGINT);
    EXPECT_TRUE(runIteration(withSignals)) << "the iteration that sees the signal still runs";
    EXPECT_FALSE(game.run);
    EXPECT_FALSE(runIteration(withSignals));
}

int pendingEvents() {
    SDL_Event events[256];
    return SDL_PeepEvents(events, 256, SDL_PEEKEVENT, SDL_ALLEVENTS);
}

TEST_F(BadInputSdlTest, AFloodOfEventsIsTakenOneAnIterationWithNoneLost) {
    // Keys that act, one that does not, key releases, mouse motion and joystick buttons.
    const int keys[] = {SDLK_LEFT, SDLK_UP, SDLK_a, SDLK_RIGHT, SDLK_DOWN, SDLK_p, SDLK_UP, SDLK_p};
    std::vector<SDL_Event> pushed;
    for (int i = 0;; ++i) {
        SDL_Event event{};
        event.type = i % 5 == 3 ? SDL_KEYUP : i % 7 == 5 ? SDL_MOUSEMOTION : SDL_KEYDOWN;
        event.key.keysym.sym = SDLKey(keys[i % std::size(keys)]);
        if (i % 11 == 10) {
            event.type = SDL_JOYBUTTONDOWN;
            event.jbutton.button = Uint8(i % 2 == 0 ? 13 : 6);
        }
        if (SDL_PushEvent(&event) != 0)
            break;
        pushed.push_back(event);
    }
    // Beyond that SDL 1.2 drops events before the game could see them.
    ASSERT_EQ(pushed.size(), 127u) << "SDL's event queue";

    // The same presses straight into a twin game: every iteration must match it.
    std::ostringstream twinOut;
    Game twin{twinOut};
    startGame(twin);
    DropTask twinTask{twin};
    for (std::size_t i = 0; i < pushed.size(); ++i) {
        ASSERT_EQ(pendingEvents(), static_cast<int>(pushed.size() - i));
        ASSERT_TRUE(runIteration(loop));
        if (pushed[i].type == SDL_KEYDOWN)
            pressKey(twin, twinTask, pushed[i].key.keysym.sym);
        if (pushed[i].type == SDL_JOYBUTTONDOWN)
            pressButton(twin, twinTask, pushed[i].jbutton.button);
        ASSERT_EQ(picture(game), picture(twin)) << "after event " << i;
        ASSERT_EQ(game.state, twin.state) << "after event " << i;
    }
    EXPECT_EQ(pendingEvents(), 0);
    EXPECT_EQ(out.str(), twinOut.str()) << "the joystick button lines";
}

} // namespace
} // namespace gemlets

// Bad input that the other suites leave out: field files with a long line, a byte-order mark or
// a folder in their place; a video driver that shows nothing; unreadable images and fonts; no
// joystick; a stop signal reaching the main loop; and a flood of events, on SDL's dummy video
// driver.
#include "frontend/commands.h"
#include "frontend/stop_signals.h"
#include "tests/frontend/field_fixture.h"
#include "tests/frontend/sdl_fixture.h"

#include <SDL.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace gemlets {
namespace {

using fixture::fieldPicture;
using fixture::tempFile;

std::string rejection(const std::string& text) {
    Field f = emptyField();
    const std::string error = fixture::errorOf([&] { textToField(text, f); });
    return error != "no error" ? error : "accepted:\n" + fieldToText(f);
}

TEST(BadFieldFile, ALongLineOrAByteOrderMarkIsRefusedAtItsPlace) {
    const std::string emptyRows = fieldToText(emptyField()); // twelve lines of "******"
    // A first line of seven cells, then eleven empty ones: twelve lines, but one too long.
    EXPECT_EQ(rejection("0000000\n" + emptyRows.substr(7)),
              "test.txt: line 1, column 7: found '0' where a line end was expected ('*' or "
              "'0' to '3', six to a line)");
    EXPECT_EQ(rejection("\xef\xbb\xbf" + emptyRows).substr(0, 43),
              "test.txt: line 1, column 1: found byte 0xef");
}

TEST(BadFieldFile, AFolderInPlaceOfTheFileIsNamed) {
    const auto folder = std::filesystem::path(::testing::TempDir()) /
                        ("gemlets_bad_input_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder / fieldFileName);
    Field f = emptyField();
    EXPECT_EQ(fixture::errorOf([&] { fileToField(f, folder / fieldFileName); }),
              (folder / fieldFileName).string() + ": cannot read: Is a directory")
        << fieldToText(f);
    std::filesystem::remove_all(folder);
}

TEST(StartUp, AVideoDriverThatShowsNothingIsRefusedUnlessSdlVideoDriverNamesIt) {
    struct Case {
        std::string_view driver;
        const char* requested; // SDL_VIDEODRIVER, null when unset
        bool kept;
    };
    for (const Case& c : {Case{"x11", nullptr, true},
                          {"fbcon", "dummy", true},
                          {"caca", nullptr, false},
                          {"aalib", "", false},
                          {"offscreen", "x11", false},
                          {"evdev", "dummy", false},
                          {"dummy", "dummy", true},
                          {"offscreen", "x11,Offscreen", true}})
        EXPECT_EQ(keepsVideoDriver(c.driver, c.requested), c.kept)
            << c.driver << " with SDL_VIDEODRIVER=" << (c.requested ? c.requested : "(unset)");
}

using BadInputSdlTest = fixture::DummyWindowTest;

TEST_F(BadInputSdlTest, AnUnreadableImageOrFontIsNamedWithSdlsReason) {
    const auto junk = tempFile("gemlets_junk", std::string("\x01\x02 not an image or a font", 25));
    // Each message starts with the file and the call; SDL's reason follows.
    const std::string image = junk.string() + ": IMG_Load: ";
    EXPECT_EQ(fixture::errorOf([&] { loadImage(junk); }).substr(0, image.size()), image);
    const std::string font = junk.string() + ": TTF_OpenFont: ";
    EXPECT_EQ(fixture::errorOf([&] { openFont(junk, 32); }).substr(0, font.size()), font);
    const std::filesystem::path missing = junk.string() + "_missing";
    const std::string noFont = missing.string() + ": TTF_OpenFont";
    EXPECT_EQ(fixture::errorOf([&] { openFont(missing, 32); }).substr(0, noFont.size()), noFont);
}

TEST_F(BadInputSdlTest, ATruncatedImageStillLoads) {
    std::ifstream in(fixture::runDir / "gemlet_red.jpg", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(whole.size(), 200u) << "no image in " << fixture::runDir;
    const SurfacePtr image =
        loadImage(tempFile("gemlets_half.jpg", whole.substr(0, whole.size() / 2)));
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
        ASSERT_EQ(fieldPicture(game), fieldPicture(twin)) << "after event " << i;
        ASSERT_EQ(game.state, twin.state) << "after event " << i;
    }
    EXPECT_EQ(pendingEvents(), 0);
    EXPECT_EQ(out.str(), twinOut.str()) << "the joystick button lines";
}

} // namespace
} // namespace gemlets

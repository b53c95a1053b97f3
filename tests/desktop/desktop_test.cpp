// SPDX-License-Identifier: MIT
// The desktop's own SDL work on SDL's dummy video driver: which video driver start-up keeps,
// images prepared for fast blits that still draw as loaded, the window at each size, and how a
// joystick is read.
#include "assets/asset_names.h"
#include "desktop/desktop_resources.h"
#include "desktop/display.h"
#include "desktop/joystick.h"
#include "desktop/sdl_session.h"
#include "model/game_start.h"
#include "model/movement.h"
#include "play/drop_schedule.h"
#include "tests/sdl_fixture.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string_view>
#include <tuple>
#include <vector>

namespace gemlets {
namespace {

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

using fixture::pixelAt;
using fixture::pixels;

// The cell images are prepared for fast blits with a colour key no pixel holds: they must still
// draw every pixel as loaded, also an image that holds every 16-bit value but one, or all.
TEST(DesktopImages, PreparedImagesDrawEveryPixelAsLoaded) {
    const SdlSession session = (setenv("SDL_VIDEODRIVER", "dummy", 1), SdlSession());
    SDL_Surface* window = openWindow();
    const auto drawn = [&](SDL_Surface* image) {
        SDL_FillRect(window, nullptr, 0);
        SDL_Rect corner{0, 0, 0, 0};
        SDL_BlitSurface(image, nullptr, window, &corner);
        return pixels(window, image->h);
    };
    for (const char* file : cellImageFiles) {
        const SurfacePtr loaded(IMG_Load((runDir / file).c_str()));
        const SurfacePtr plain(SDL_DisplayFormat(loaded.get()));
        EXPECT_TRUE(drawn(loadImage(runDir / file).get()) == drawn(plain.get())) << file;
    }
    for (const Uint32 missing : {1000u, 0x10000u}) {
        const SurfacePtr image = fixture::solidImage(window, 256, 256, {});
        for (Uint32 value = 0; value < 0x10000; ++value)
            static_cast<Uint16*>(image->pixels)[value] = Uint16(value == missing ? 0 : value);
        const std::vector<Uint16> before = drawn(image.get());
        prepareForBlits(image.get());
        EXPECT_TRUE(drawn(image.get()) == before) << "all values but " << missing;
    }
}

TEST(StartUp, AVideoDriverThatShowsNothingIsRefusedUnlessSdlVideoDriverNamesIt) {
    // The driver SDL found, SDL_VIDEODRIVER (null when unset), and whether start-up keeps it.
    const std::tuple<std::string_view, const char*, bool> cases[] = {
        {"x11", nullptr, true},      {"fbcon", "dummy", true},
        {"caca", nullptr, false},    {"aalib", "", false},
        {"offscreen", "x11", false}, {"evdev", "dummy", false},
        {"dummy", "dummy", true},    {"offscreen", "x11,Offscreen", true}};
    for (const auto& [driver, requested, kept] : cases)
        EXPECT_EQ(keepsVideoDriver(driver, requested), kept)
            << driver << " with SDL_VIDEODRIVER=" << (requested ? requested : "(unset)");
}

// The game's frames in a window of each size: each step's window, where the frame is in it,
// and every pixel: black around the frame; inside, at a whole multiple the frame's pixel
// under it, otherwise at each cell's centre the cell's colour and blends at its edges. What
// was handed to SDL, gathered into a copy of the window, must show it all: after a change of
// size the whole window, after a move only the parts that changed.
TEST(Display, EachWindowShowsTheFrameAtTheLargestSizeThatFitsCentredAndOnlyChangesAreSent) {
    const SdlSession session = (setenv("SDL_VIDEODRIVER", "dummy", 1), SdlSession());
    Game game{TextOut()};
    startGame(game);
    Screen screen;
    Display display(screen, 2, false, {1920, 1080});
    display.open();
    for (SurfacePtr& image : screen.cellImages)
        image = fixture::solidImage(display.window(), gemletW, gemletH,
                                    {255, Uint8((&image - &screen.cellImages[0]) * 60), 0, 0});
    const int w = windowWidth, h = windowHeight;
    const Uint16 w2 = Uint16(2 * w), h2 = Uint16(2 * h);
    // What each step is, what it does (L the pair moved left, D a drop step, F the whole screen
    // switched, then a resize to the size given), the window and the frame's area in it after,
    // and whether the frame is handed over whole.
    const std::tuple<const char*, std::string_view, Size, Size, SDL_Rect, bool> steps[] = {
        {"--scale 2", "", {}, {w2, h2}, {0, 0, w2, h2}, true},
        {"a move", "L", {}, {w2, h2}, {0, 0, w2, h2}, false},
        {"the whole screen", "F", {}, {1920, 1080}, {420, 0, 1080, 1080}, true},
        {"a drop, smoothed", "D", {}, {1920, 1080}, {420, 0, 1080, 1080}, false},
        {"a resize there", "", {500, 500}, {1920, 1080}, {420, 0, 1080, 1080}, false},
        {"back", "F", {}, {w2, h2}, {0, 0, w2, h2}, true},
        {"resized", "", {600, 500}, {600, 500}, {50, 0, 500, 500}, true},
        {"a move, smoothed", "L", {}, {600, 500}, {50, 0, 500, 500}, false},
        {"a whole multiple", "", {1000, 768}, {1000, 768}, {116, 0, 768, 768}, true},
        {"there and back", "FF", {}, {1000, 768}, {116, 0, 768, 768}, true},
        {"the design's window", "", {w, h}, {w, h}, {0, 0, Uint16(w), Uint16(h)}, true},
    };
    std::vector<Uint16> seen;
    for (const auto& [what, acts, resize, size, area, whole] : steps) {
        for (const char act : acts)
            act == 'L'   ? moveToLeft(game, *game.first, *game.second)
            : act == 'D' ? dropStep(game)
                         : display.toggleFullscreen();
        if (resize.w != 0)
            display.resize(resize);
        SDL_Surface* window = display.window();
        if (whole) // what the window held before must not show
            SDL_FillRect(window, nullptr, 0x1234);
        frameStep(screen, game);
        const SDL_Rect& a = display.area();
        ASSERT_TRUE((Size{window->w, window->h} == size) && a.x == area.x && a.y == area.y &&
                    a.w == area.w && a.h == area.h)
            << what << ": " << window->w << "x" << window->h << ", the frame at " << a.x << ","
            << a.y << " " << a.w << "x" << a.h;
        const bool direct = a.w == w && a.h == h && !display.fullscreen();
        EXPECT_EQ(screen.surface == window, direct) << what;
        if (direct)
            continue;
        // Nothing drawn, nothing sent.
        const std::vector<SDL_Rect> sent =
            screen.updated.empty() ? std::vector<SDL_Rect>{} : display.updated();
        EXPECT_EQ(
            std::ranges::any_of(sent, [&](const SDL_Rect& r) { return r.w >= a.w && r.h >= a.h; }),
            whole)
            << what;
        fixture::handOver(window, sent, seen);
        if (!whole) {
            const std::vector<Uint16> sentOnly = pixels(window, window->h);
            showWholeWindowNext(screen);
            frameStep(screen, game);
            EXPECT_TRUE(pixels(window, window->h) == sentOnly) << what << ": not as drawn whole";
        }
        const int factor = a.w % w == 0 ? a.w / w : 0;
        std::set<Uint16> colours;
        for (int y = 0; y < window->h; ++y)
            for (int x = 0; x < window->w; ++x) {
                const Uint16 shown = pixelAt(window, x, y);
                const int fx = x - a.x, fy = y - a.y;
                ASSERT_EQ(seen[std::size_t(y * window->w + x)], shown)
                    << what << ": stale at " << x << "," << y;
                if (fx < 0 || fy < 0 || fx >= a.w || fy >= a.h) {
                    ASSERT_EQ(shown, 0) << what << ": not black at " << x << "," << y;
                } else if (factor != 0) {
                    ASSERT_EQ(shown, pixelAt(screen.surface, fx / factor, fy / factor))
                        << what << " at " << x << "," << y;
                }
                colours.insert(shown);
            }
        if (factor != 0)
            continue;
        for (int row = 0; row < fieldH; ++row)
            for (int column = 0; column < fieldW; ++column) {
                const int cx = gemletW * column + gemletW / 2, cy = gemletH * row + gemletH / 2;
                EXPECT_EQ(pixelAt(window, a.x + cx * a.w / w, a.y + cy * a.h / h),
                          pixelAt(screen.surface, cx, cy))
                    << what << ": cell " << column << "," << row;
            }
        // Black, white and the pair's two colours, and blends where they meet.
        EXPECT_GT(colours.size(), 4u) << what << ": not smoothed";
    }
}

// F11 and Alt+Enter switch, Enter alone does not; a resize takes the last one queued; the
// game's keys are not the display's.
TEST(Display, F11AndAltEnterSwitchAndOnlyTheLastOfTheResizesQueuedActs) {
    const SdlSession session = (setenv("SDL_VIDEODRIVER", "dummy", 1), SdlSession());
    Screen screen;
    Display display(screen, 1, false, {1920, 1080});
    display.open();
    // A key and its modifiers; whether the display takes it, and is on the whole screen after.
    const std::tuple<SDLKey, SDLMod, bool, bool> presses[] = {
        {SDLK_F11, KMOD_NONE, true, true},      {SDLK_F11, KMOD_NONE, true, false},
        {SDLK_RETURN, KMOD_LALT, true, true},   {SDLK_RETURN, KMOD_RALT, true, false},
        {SDLK_RETURN, KMOD_NONE, false, false}, {SDLK_LEFT, KMOD_NONE, false, false}};
    for (const auto& [sym, mod, taken, fullscreen] : presses) {
        const SDL_Event key{.key = {SDL_KEYDOWN, 0, SDL_PRESSED, {0, sym, mod, 0}}};
        EXPECT_EQ(display.handleEvent(key), taken) << sym;
        EXPECT_EQ(display.fullscreen(), fullscreen) << sym;
        EXPECT_EQ(display.window()->w, fullscreen ? 1920 : windowWidth);
    }
    for (const int size : {500, 640}) {
        SDL_Event resize{.resize = {SDL_VIDEORESIZE, size, size}};
        ASSERT_EQ(SDL_PushEvent(&resize), 0);
    }
    SDL_Event first{};
    ASSERT_EQ(SDL_PollEvent(&first), 1);
    EXPECT_TRUE(display.handleEvent(first));
    EXPECT_EQ(display.window()->w, 640);
    EXPECT_EQ(SDL_PeepEvents(&first, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 0) << "a resize left";
}

// With sound SDL looks for a sound system; without, SDL's silent driver serves; the one
// SDL_AUDIODRIVER names serves either way.
TEST(StartUp, WithoutSoundSdlsSilentAudioDriverServesUnlessSdlAudioDriverNamesOne) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (const auto& [sound, requested, expected] :
         {std::tuple{false, "", "dummy"}, {true, "", ""}, {false, "disk", "disk"}}) {
        *requested ? setenv("SDL_AUDIODRIVER", requested, 1) : unsetenv("SDL_AUDIODRIVER");
        const SdlSession session(sound);
        char driver[32] = "";
        SDL_AudioDriverName(driver, sizeof driver);
        EXPECT_TRUE(*expected ? std::string_view(driver) == expected
                              : driver != std::string_view("dummy"))
            << (sound ? "with" : "without") << " sound, SDL_AUDIODRIVER '" << requested
            << "': " << driver;
    }
    unsetenv("SDL_AUDIODRIVER");
}

// A pad that SDL2 lists as a game controller is read in its order even with the GP2X's shape;
// sdl12-compat lists them so unless the player's setting says no, as SDL reads one.
TEST(Joystick, AListedGameControllerIsReadInSdl2sOrderWhateverItsShape) {
    EXPECT_EQ(padNumbering(true, 19, 0), Pad::controller);
    EXPECT_EQ(padNumbering(false, 19, 0), Pad::gp2x);
    for (const auto& [value, on] :
         {std::pair{"", false}, {"0", false}, {"false", false}, {"FALSE", false}, {"yes", true}}) {
        setenv("GEMLETS_TEST_SETTING", value, 1);
        EXPECT_EQ(settingOn("GEMLETS_TEST_SETTING"), on) << "'" << value << "'";
    }
    unsetenv("GEMLETS_TEST_SETTING");
    EXPECT_FALSE(settingOn("GEMLETS_TEST_SETTING"));
}

} // namespace
} // namespace gemlets

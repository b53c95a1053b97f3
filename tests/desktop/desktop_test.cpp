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

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string_view>
#include <tuple>
#include <vector>

namespace gemlets {
namespace {

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

// The pixels of the window's top rows, down to row h.
std::vector<Uint16> pixels(SDL_Surface* s, int h) {
    std::vector<Uint16> all;
    for (int y = 0; y < std::min(h, s->h); ++y)
        for (int x = 0; x < s->w; ++x)
            all.push_back(static_cast<const Uint16*>(s->pixels)[y * s->pitch / 2 + x]);
    return all;
}

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
        const SDL_PixelFormat* f = window->format;
        SurfacePtr image(SDL_CreateRGBSurface(0, 256, 256, 16, f->Rmask, f->Gmask, f->Bmask, 0));
        for (Uint32 value = 0; value < 0x10000; ++value)
            static_cast<Uint16*>(image->pixels)[value] = Uint16(value == missing ? 0 : value);
        const std::vector<Uint16> before = drawn(image.get());
        prepareForBlits(image.get());
        EXPECT_TRUE(drawn(image.get()) == before) << "all values but " << missing;
    }
}

TEST(StartUp, AVideoDriverThatShowsNothingIsRefusedUnlessSdlVideoDriverNamesIt) {
    const struct {
        std::string_view driver;
        const char* requested; // SDL_VIDEODRIVER, null when unset
        bool kept;
    } cases[] = {{"x11", nullptr, true},      {"fbcon", "dummy", true},
                 {"caca", nullptr, false},    {"aalib", "", false},
                 {"offscreen", "x11", false}, {"evdev", "dummy", false},
                 {"dummy", "dummy", true},    {"offscreen", "x11,Offscreen", true}};
    for (const auto& c : cases)
        EXPECT_EQ(keepsVideoDriver(c.driver, c.requested), c.kept)
            << c.driver << " with SDL_VIDEODRIVER=" << (c.requested ? c.requested : "(unset)");
}

Uint16 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<const Uint16*>(s->pixels)[y * s->pitch / 2 + x];
}

// The game's frames in a window of each size: each step's window, where the frame is in it,
// and every pixel: black around the frame; inside, at a whole multiple the frame's pixel
// under it, otherwise at each cell's centre the cell's colour and blends at its edges. What
// was handed to SDL, gathered into a copy of the window, must show it all: after a change of
// size the whole window, after a move only the parts that changed.
TEST(Display, EachWindowShowsTheFrameAtTheLargestSizeThatFitsCentredAndOnlyChangesAreSent) {
    const SdlSession session = (setenv("SDL_VIDEODRIVER", "dummy", 1), SdlSession());
    std::ostringstream out;
    Game game{out};
    startGame(game);
    Screen screen;
    Display display(screen, 2, false, {1920, 1080});
    display.open();
    for (SurfacePtr& image : screen.cellImages) {
        const SDL_PixelFormat* f = display.window()->format;
        image.reset(SDL_CreateRGBSurface(0, gemletW, gemletH, 16, f->Rmask, f->Gmask, f->Bmask, 0));
        SDL_FillRect(image.get(), nullptr,
                     SDL_MapRGB(f, 255, Uint8(&image - &screen.cellImages[0]) * 60, 0));
    }
    const auto move = [&] {
        moveToLeft(game, *game.first, *game.second);
    };
    const auto resize = [&](int w, int h) {
        return [&, w, h] {
            display.resize({w, h});
        };
    };
    const auto toggle = [&] {
        display.toggleFullscreen();
    };
    const int w = windowWidth, h = windowHeight;
    const Uint16 w2 = Uint16(2 * w), h2 = Uint16(2 * h);
    const struct {
        const char* what;
        std::function<void()> act;
        Size window;
        SDL_Rect area;
        bool whole; // handed over whole
    } steps[] = {
        {"--scale 2", [] {}, {w2, h2}, {0, 0, w2, h2}, true},
        {"a move", move, {w2, h2}, {0, 0, w2, h2}, false},
        {"the whole screen", toggle, {1920, 1080}, {420, 0, 1080, 1080}, true},
        {"a drop, smoothed", [&] { dropStep(game); }, {1920, 1080}, {420, 0, 1080, 1080}, false},
        {"a resize there", resize(500, 500), {1920, 1080}, {420, 0, 1080, 1080}, false},
        {"back", toggle, {w2, h2}, {0, 0, w2, h2}, true},
        {"resized", resize(600, 500), {600, 500}, {50, 0, 500, 500}, true},
        {"a move, smoothed", move, {600, 500}, {50, 0, 500, 500}, false},
        {"a whole multiple", resize(1000, 768), {1000, 768}, {116, 0, 768, 768}, true},
        {"there and back", [&] { toggle(), toggle(); }, {1000, 768}, {116, 0, 768, 768}, true},
        {"the design's window", resize(w, h), {w, h}, {0, 0, Uint16(w), Uint16(h)}, true},
    };
    std::vector<Uint16> seen;
    for (const auto& step : steps) {
        step.act();
        SDL_Surface* window = display.window();
        if (step.whole) // what the window held before must not show
            SDL_FillRect(window, nullptr, 0x1234);
        frameStep(screen, game);
        const SDL_Rect& a = display.area();
        ASSERT_TRUE((Size{window->w, window->h} == step.window) && a.x == step.area.x &&
                    a.y == step.area.y && a.w == step.area.w && a.h == step.area.h)
            << step.what << ": " << window->w << "x" << window->h << ", the frame at " << a.x << ","
            << a.y << " " << a.w << "x" << a.h;
        const bool direct = a.w == w && a.h == h && !display.fullscreen();
        EXPECT_EQ(screen.surface == window, direct) << step.what;
        if (direct)
            continue;
        // Nothing drawn, nothing sent.
        const std::vector<SDL_Rect> sent =
            screen.updated.empty() ? std::vector<SDL_Rect>{} : display.updated();
        EXPECT_EQ(
            std::ranges::any_of(sent, [&](const SDL_Rect& r) { return r.w >= a.w && r.h >= a.h; }),
            step.whole)
            << step.what;
        seen.resize(std::size_t(window->w * window->h));
        for (const SDL_Rect& r : sent)
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x)
                    seen[std::size_t(y * window->w + x)] = pixelAt(window, x, y);
        if (!step.whole) {
            const std::vector<Uint16> sentOnly = pixels(window, window->h);
            showWholeWindowNext(screen);
            frameStep(screen, game);
            EXPECT_TRUE(pixels(window, window->h) == sentOnly)
                << step.what << ": not as drawn whole";
        }
        const int factor = a.w % w == 0 ? a.w / w : 0;
        std::set<Uint16> colours;
        for (int y = 0; y < window->h; ++y)
            for (int x = 0; x < window->w; ++x) {
                const Uint16 shown = pixelAt(window, x, y);
                const int fx = x - a.x, fy = y - a.y;
                ASSERT_EQ(seen[std::size_t(y * window->w + x)], shown)
                    << step.what << ": stale at " << x << "," << y;
                if (fx < 0 || fy < 0 || fx >= a.w || fy >= a.h) {
                    ASSERT_EQ(shown, 0) << step.what << ": not black at " << x << "," << y;
                } else if (factor != 0) {
                    ASSERT_EQ(shown, pixelAt(screen.surface, fx / factor, fy / factor))
                        << step.what << " at " << x << "," << y;
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
                    << step.what << ": cell " << column << "," << row;
            }
        // Black, white and the pair's two colours, and blends where they meet.
        EXPECT_GT(colours.size(), 4u) << step.what << ": not smoothed";
    }
}

// F11 and Alt+Enter switch, Enter alone does not; a resize takes the last one queued; the
// game's keys are not the display's.
TEST(Display, F11AndAltEnterSwitchAndOnlyTheLastOfTheResizesQueuedActs) {
    const SdlSession session = (setenv("SDL_VIDEODRIVER", "dummy", 1), SdlSession());
    Screen screen;
    Display display(screen, 1, false, {1920, 1080});
    display.open();
    const auto key = [](SDLKey sym, SDLMod mod = KMOD_NONE) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = sym;
        event.key.keysym.mod = mod;
        return event;
    };
    const std::tuple<SDL_Event, bool, bool> presses[] = {{key(SDLK_F11), true, true},
                                                         {key(SDLK_F11), true, false},
                                                         {key(SDLK_RETURN, KMOD_LALT), true, true},
                                                         {key(SDLK_RETURN, KMOD_RALT), true, false},
                                                         {key(SDLK_RETURN), false, false},
                                                         {key(SDLK_LEFT), false, false}};
    for (const auto& [event, taken, fullscreen] : presses) {
        EXPECT_EQ(display.handleEvent(event), taken) << event.key.keysym.sym;
        EXPECT_EQ(display.fullscreen(), fullscreen) << event.key.keysym.sym;
        EXPECT_EQ(display.window()->w, fullscreen ? 1920 : windowWidth);
    }
    SDL_Event resize{};
    resize.type = SDL_VIDEORESIZE;
    for (const int size : {500, 640}) {
        resize.resize.w = resize.resize.h = size;
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
    for (const char* off : {"", "0", "false", "FALSE"}) {
        setenv("GEMLETS_TEST_SETTING", off, 1);
        EXPECT_FALSE(settingOn("GEMLETS_TEST_SETTING")) << "'" << off << "'";
    }
    setenv("GEMLETS_TEST_SETTING", "yes", 1);
    EXPECT_TRUE(settingOn("GEMLETS_TEST_SETTING"));
    unsetenv("GEMLETS_TEST_SETTING");
    EXPECT_FALSE(settingOn("GEMLETS_TEST_SETTING"));
}

} // namespace
} // namespace gemlets

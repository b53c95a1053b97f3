// SPDX-License-Identifier: MIT
// The desktop's own SDL work on SDL's dummy video driver: which video driver start-up keeps,
// images prepared for fast blits that still draw as loaded, and how a joystick is read.
#include "assets/asset_names.h"
#include "desktop/desktop_resources.h"
#include "desktop/joystick.h"
#include "desktop/sdl_session.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
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

// A pad that SDL2 lists as a game controller is read in its order even with the GP2X's shape.
TEST(Joystick, AListedGameControllerIsReadInSdl2sOrderWhateverItsShape) {
    EXPECT_EQ(padNumbering(true, 19, 0), Pad::controller);
    EXPECT_EQ(padNumbering(false, 19, 0), Pad::gp2x);
}

} // namespace
} // namespace gemlets

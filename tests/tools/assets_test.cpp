// Loads the painted cell images the way the game does (IMG_Load, no display) and checks what
// the game relies on: cell-sized images with white corners, in four hues far apart. The other
// files of the run folder are what every Xvfb test starts the game with.
#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

const std::string runDir = GEMLETS_RUN_DIR;

using SurfaceHandle = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

struct Rgb {
    double r, g, b;
};

// Every pixel of the image, in 0..1 per channel.
template <class Visit> void eachPixel(const std::string& name, int w, int h, Visit visit) {
    const SurfaceHandle image(IMG_Load((runDir + "/" + name).c_str()), &SDL_FreeSurface);
    ASSERT_TRUE(image) << name << ": " << IMG_GetError();
    ASSERT_TRUE(image->w == w && image->h == h) << name << " is " << image->w << "x" << image->h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Uint8 r = 0, g = 0, b = 0;
            const auto* p = static_cast<const Uint8*>(image->pixels) + y * image->pitch +
                            x * image->format->BytesPerPixel;
            Uint32 value = 0;
            std::memcpy(&value, p, image->format->BytesPerPixel); // little-endian hosts
            SDL_GetRGB(value, image->format, &r, &g, &b);
            visit(x, y, Rgb{r / 255.0, g / 255.0, b / 255.0});
        }
}

TEST(Assets, GemletsAreCellSizedWithWhiteCornersInFourHuesApart) {
    const char* files[] = {"gemlet_blue.jpg", "gemlet_red.jpg", "gemlet_green.jpg",
                           "gemlet_yellow.jpg"};
    double hues[4]{};
    for (int i = 0; i < 4; ++i) {
        Rgb sum{0, 0, 0};
        eachPixel(files[i], 32, 32, [&](int x, int y, Rgb c) {
            const double high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
            if ((x == 0 || x == 31) && (y == 0 || y == 31)) {
                EXPECT_GT(low, 0.9) << files[i] << " corner " << x << "," << y;
            }
            if (high > 0.3 && (high - low) / high > 0.5) // the body, not the rim or the mark
                sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        });
        hues[i] =
            std::atan2(std::sqrt(3.0) * (sum.g - sum.b), 2 * sum.r - sum.g - sum.b) * 180 / M_PI;
        for (int j = 0; j < i; ++j) {
            const double apart = std::fmod(std::abs(hues[i] - hues[j]), 360);
            EXPECT_GT(std::min(apart, 360 - apart), 30.0) << files[i] << " beside " << files[j];
        }
    }
}

} // namespace

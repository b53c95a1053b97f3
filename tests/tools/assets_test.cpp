// SPDX-License-Identifier: MIT
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

TEST(Assets, GemletsAreCellSizedWithWhiteCornersInFourHuesApart) {
    const char* files[] = {"gemlet_blue.jpg", "gemlet_red.jpg", "gemlet_green.jpg",
                           "gemlet_yellow.jpg"};
    double hues[4]{};
    for (int i = 0; i < 4; ++i) {
        const std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> image(
            IMG_Load((std::string(GEMLETS_RUN_DIR) + "/" + files[i]).c_str()), &SDL_FreeSurface);
        ASSERT_TRUE(image && image->w == 32 && image->h == 32) << files[i] << IMG_GetError();
        double r = 0, g = 0, b = 0; // summed over the body, not the rim, the mark or the corners
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                Uint32 value = 0; // little-endian hosts
                std::memcpy(&value,
                            static_cast<const Uint8*>(image->pixels) + y * image->pitch +
                                x * image->format->BytesPerPixel,
                            image->format->BytesPerPixel);
                Uint8 c[3];
                SDL_GetRGB(value, image->format, &c[0], &c[1], &c[2]);
                const int high = std::max({c[0], c[1], c[2]}), low = std::min({c[0], c[1], c[2]});
                if ((x == 0 || x == 31) && (y == 0 || y == 31)) {
                    EXPECT_GT(low, 230) << files[i] << " corner " << x << "," << y;
                }
                if (high > 76 && high - low > high / 2)
                    r += c[0], g += c[1], b += c[2];
            }
        hues[i] = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / M_PI;
        for (int j = 0; j < i; ++j) {
            const double apart = std::fmod(std::abs(hues[i] - hues[j]), 360);
            EXPECT_GT(std::min(apart, 360 - apart), 30.0) << files[i] << " beside " << files[j];
        }
    }
}

} // namespace

// SPDX-License-Identifier: MIT
// Loads the painted cell images the way the game does (IMG_Load, no display) and checks what
// the game relies on: cell-sized images with white corners, in four hues far apart. The other
// files of the run folder are what every Xvfb test starts the game with.
#include "assets/asset_names.h"
#include "frontend/geometry.h"

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
    const auto& files = gemlets::cellImageFiles;
    double hues[gemlets::maxCols]{};
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)> image(
            IMG_Load((std::string(GEMLETS_RUN_DIR) + "/" + files[i]).c_str()), &SDL_FreeSurface);
        ASSERT_TRUE(image && image->w == gemlets::gemletW && image->h == gemlets::gemletH)
            << files[i] << IMG_GetError();
        double r = 0, g = 0, b = 0; // summed over the body, not the rim, the mark or the corners
        for (int y = 0; y < gemlets::gemletH; ++y)
            for (int x = 0; x < gemlets::gemletW; ++x) {
                Uint32 value = 0; // little-endian hosts
                std::memcpy(&value,
                            static_cast<const Uint8*>(image->pixels) + y * image->pitch +
                                x * image->format->BytesPerPixel,
                            image->format->BytesPerPixel);
                Uint8 c[3];
                SDL_GetRGB(value, image->format, &c[0], &c[1], &c[2]);
                const int high = std::max({c[0], c[1], c[2]}), low = std::min({c[0], c[1], c[2]});
                if ((x == 0 || x == gemlets::gemletW - 1) &&
                    (y == 0 || y == gemlets::gemletH - 1)) {
                    EXPECT_GT(low, 230) << files[i] << " corner " << x << "," << y;
                }
                if (high > 76 && high - low > high / 2)
                    r += c[0], g += c[1], b += c[2];
            }
        hues[i] = std::atan2(std::sqrt(3.0) * (g - b), 2 * r - g - b) * 180 / M_PI;
        for (std::size_t j = 0; j < i; ++j) {
            const double apart = std::fmod(std::abs(hues[i] - hues[j]), 360);
            EXPECT_GT(std::min(apart, 360 - apart), 30.0) << files[i] << " beside " << files[j];
        }
    }
}

} // namespace

// Loads the generated run-folder files the way the game does (IMG_Load, no display) and checks
// what the game relies on: sizes, distinct colours, the field file, the font with its licence.
#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string runDir = GEMLETS_RUN_DIR;

using SurfaceHandle = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

SurfaceHandle load(const std::string& name) {
    SurfaceHandle surface(IMG_Load((runDir + "/" + name).c_str()), &SDL_FreeSurface);
    EXPECT_TRUE(surface) << "IMG_Load(" << name << "): " << IMG_GetError();
    return surface;
}

struct Rgb {
    double r, g, b;
};

Rgb pixelAt(const SDL_Surface& surface, int x, int y) {
    const auto* p = static_cast<const Uint8*>(surface.pixels) + y * surface.pitch +
                    x * surface.format->BytesPerPixel;
    Uint32 value = 0;
    for (int byte = surface.format->BytesPerPixel - 1; byte >= 0; --byte)
        value = (value << 8) | p[byte]; // SDL stores pixels in the host's (little-endian) order
    Uint8 r = 0, g = 0, b = 0;
    SDL_GetRGB(value, surface.format, &r, &g, &b);
    return {r / 255.0, g / 255.0, b / 255.0};
}

// Hue in degrees of the mean colour of the clearly coloured pixels, ignoring the white
// corners, the white mark and the dark rim.
double bodyHue(const SDL_Surface& surface) {
    Rgb sum{0, 0, 0};
    for (int y = 0; y < surface.h; ++y)
        for (int x = 0; x < surface.w; ++x) {
            const Rgb c = pixelAt(surface, x, y);
            const double high = std::max({c.r, c.g, c.b});
            const double low = std::min({c.r, c.g, c.b});
            if (high > 0.3 && (high - low) / high > 0.5)
                sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        }
    return std::fmod(
        std::atan2(std::sqrt(3.0) * (sum.g - sum.b), 2 * sum.r - sum.g - sum.b) * 180 / M_PI + 360,
        360);
}

const std::vector<std::string> gemletFiles{"gemlet_blue.jpg", "gemlet_red.jpg", "gemlet_green.jpg",
                                           "gemlet_yellow.jpg"};

TEST(GemletImages, AreCellSizedWithWhiteCornersForTheWhiteWindow) {
    for (const std::string& name : gemletFiles) {
        const SurfaceHandle cell = load(name);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->w, 32) << name;
        EXPECT_EQ(cell->h, 32) << name;
        for (const auto& [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
            const Rgb c = pixelAt(*cell, x, y);
            EXPECT_GT(std::min({c.r, c.g, c.b}), 0.9) << name << " corner " << x << "," << y;
        }
    }
}

TEST(GemletImages, ColoursAreClearlyApartInHue) {
    std::vector<double> hues;
    std::ostringstream table;
    for (const std::string& name : gemletFiles) {
        const SurfaceHandle cell = load(name);
        ASSERT_TRUE(cell);
        hues.push_back(bodyHue(*cell));
        table << name << " hue " << std::lround(hues.back()) << "\n";
    }
    for (std::size_t i = 0; i < hues.size(); ++i)
        for (std::size_t j = i + 1; j < hues.size(); ++j) {
            const double apart = std::abs(hues[i] - hues[j]);
            EXPECT_GT(std::min(apart, 360 - apart), 30.0) << table.str();
        }
}

TEST(GameOverImage, CoversTheFieldAndCarriesBrightLettering) {
    const SurfaceHandle image = load("gameover.jpg");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->w, 192);
    EXPECT_EQ(image->h, 384);
    // The words are gold on a dark ground across the middle of the field.
    int lettering = 0;
    for (int y = 96; y < 288; ++y)
        for (int x = 0; x < image->w; ++x) {
            const Rgb c = pixelAt(*image, x, y);
            lettering += c.r > 0.85 && c.g > 0.45 && c.b < 0.6;
        }
    EXPECT_GT(lettering, 3000) << "gold pixels in the middle band";
}

TEST(RunFolder, FieldFileIsTwelveEmptyRows) {
    std::ifstream file(runDir + "/test.txt", std::ios::binary);
    ASSERT_TRUE(file) << runDir << "/test.txt";
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    std::string expected;
    for (int row = 0; row < 12; ++row)
        expected += "******\n";
    EXPECT_EQ(text, expected);
}

// The game's tests open the font itself; the tool must also ship its licence.
TEST(RunFolder, TheFontHasItsLicenceBesideIt) {
    EXPECT_TRUE(std::ifstream(runDir + "/font.ttf")) << runDir << "/font.ttf";
    EXPECT_TRUE(std::ifstream(runDir + "/font-LICENSE.txt")) << runDir << "/font-LICENSE.txt";
}

} // namespace

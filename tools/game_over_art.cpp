// SPDX-License-Identifier: MIT
#include "tools/game_over_art.h"

#include "tools/gemlet_art.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace gemlets::assets {

namespace {

// How much of each pixel a word covers, 0 to 1.
struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    float at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return 0;
        return values[static_cast<std::size_t>(y * width + x)];
    }
};

class TtfSession {
public:
    TtfSession() {
        if (TTF_Init() != 0)
            throw std::runtime_error(std::string("TTF_Init failed: ") + TTF_GetError());
    }
    ~TtfSession() { TTF_Quit(); }
    TtfSession(const TtfSession&) = delete;
    TtfSession& operator=(const TtfSession&) = delete;
};

using FontHandle = std::unique_ptr<TTF_Font, decltype(&TTF_CloseFont)>;
using SurfaceHandle = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

FontHandle openFont(const std::filesystem::path& path, int points) {
    FontHandle font(TTF_OpenFont(path.c_str(), points), &TTF_CloseFont);
    if (!font)
        throw std::runtime_error("TTF_OpenFont(\"" + path.string() + "\", " +
                                 std::to_string(points) + ") failed: " + TTF_GetError());
    return font;
}

Coverage renderWord(TTF_Font* font, const char* word) {
    SurfaceHandle surface(TTF_RenderText_Blended(font, word, SDL_Color{255, 255, 255, 0}),
                          &SDL_FreeSurface);
    if (!surface)
        throw std::runtime_error(std::string("TTF_RenderText_Blended(\"") + word +
                                 "\") failed: " + TTF_GetError());
    Coverage coverage{surface->w, surface->h,
                      std::vector<float>(static_cast<std::size_t>(surface->w * surface->h))};
    // Blended text is a 32-bit surface whose alpha channel carries the glyph shapes.
    const auto* pixels = static_cast<const Uint8*>(surface->pixels);
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(pixels + y * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            Uint8 r = 0, g = 0, b = 0, a = 0;
            SDL_GetRGBA(row[x], surface->format, &r, &g, &b, &a);
            coverage.values[static_cast<std::size_t>(y * surface->w + x)] = a / 255.0f;
        }
    }
    return coverage;
}

// The largest point size at which every word fits the width, so the title fills the panel.
int fittingPoints(const std::filesystem::path& path, const std::vector<const char*>& words,
                  int widest) {
    for (int points = 72; points > 8; points -= 2) {
        const FontHandle font = openFont(path, points);
        const bool fits = std::all_of(words.begin(), words.end(), [&](const char* word) {
            int w = 0, h = 0;
            return TTF_SizeText(font.get(), word, &w, &h) == 0 && w <= widest;
        });
        if (fits)
            return points;
    }
    return 8;
}

// Widens the letters by radius pixels in every direction, for the outline and the shadow.
float widenedAt(const Coverage& coverage, int x, int y, int radius) {
    float most = 0;
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (dx * dx + dy * dy <= radius * radius + 1)
                most = std::max(most, coverage.at(x + dx, y + dy));
    return most;
}

void paintWord(Canvas& canvas, const Coverage& word, int left, int top) {
    constexpr int outline = 2;
    constexpr Colour outlineColour{0.22f, 0.07f, 0.02f};
    constexpr Colour shadowColour{0, 0, 0};
    constexpr Colour goldTop{1.0f, 0.96f, 0.62f};
    constexpr Colour goldBottom{1.0f, 0.52f, 0.08f};
    // The dark outline and shadow keep the letters readable over the gemlets behind them.
    const int margin = outline + 4;
    for (int y = -margin; y < word.height + margin; ++y)
        for (int x = -margin; x < word.width + margin; ++x)
            canvas.blend(left + x, top + y, shadowColour,
                         0.65f * widenedAt(word, x - 3, y - 4, outline));
    for (int y = -margin; y < word.height + margin; ++y)
        for (int x = -margin; x < word.width + margin; ++x)
            canvas.blend(left + x, top + y, outlineColour, widenedAt(word, x, y, outline));
    for (int y = 0; y < word.height; ++y) {
        const Colour gold = mix(goldTop, goldBottom, static_cast<float>(y) / word.height);
        for (int x = 0; x < word.width; ++x)
            canvas.blend(left + x, top + y, gold, word.at(x, y));
    }
}

// The field as the game left it: a heap whose middle columns reach the top row and whose outer
// ones stand lower, in colours no two neighbours share. Drawn cell for cell over the field, for
// any field size the build chooses.
int heapCell(int column, int row) {
    const int fromMiddle = std::abs(2 * column - (fieldW - 1)); // 1 for the middle pair
    if (row < std::max(0, fieldH * (fromMiddle - 1) / fieldW))
        return emptyCell;
    return (column + 2 * row + row / 3) % maxCols;
}

void paintBackground(Canvas& canvas) {
    constexpr Colour top{0.04f, 0.05f, 0.16f};
    constexpr Colour bottom{0.14f, 0.04f, 0.22f};
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            canvas.blend(x, y, mix(top, bottom, static_cast<float>(y) / canvas.height()), 1);
    for (int row = 0; row < fieldH; ++row)
        for (int column = 0; column < fieldW; ++column)
            if (const int cell = heapCell(column, row); cell != emptyCell)
                paintGemlet(canvas, column * gemletW, row * gemletH, cell);
    // Dim the heap so the words stand out, and darken a soft-edged band behind them.
    constexpr int bandTop = gameOverHeight / 2 - 80;
    constexpr int bandBottom = gameOverHeight / 2 + 80;
    constexpr float fade = 20.0f;
    for (int y = 0; y < canvas.height(); ++y) {
        const float inside =
            std::clamp(std::min(y - bandTop, bandBottom - y) / fade + 0.5f, 0.0f, 1.0f);
        for (int x = 0; x < canvas.width(); ++x)
            canvas.blend(x, y, top, 0.55f + 0.3f * inside);
    }
}

} // namespace

Canvas paintGameOver(const std::filesystem::path& fontPath) {
    const TtfSession session;
    const std::vector<const char*> words{"GAME", "OVER"};
    const FontHandle font = openFont(fontPath, fittingPoints(fontPath, words, gameOverWidth - 24));

    Canvas canvas(gameOverWidth, gameOverHeight, {});
    paintBackground(canvas);
    const Coverage game = renderWord(font.get(), words[0]);
    const Coverage over = renderWord(font.get(), words[1]);
    const int lineGap = game.height / 8;
    const int top = (gameOverHeight - game.height - lineGap - over.height) / 2;
    paintWord(canvas, game, (gameOverWidth - game.width) / 2, top);
    paintWord(canvas, over, (gameOverWidth - over.width) / 2, top + game.height + lineGap);
    return canvas;
}

} // namespace gemlets::assets

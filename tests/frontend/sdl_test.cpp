// The SDL front end on SDL's dummy video driver: events pushed with SDL_PushEvent, drop
// steps called directly, and every frame read back from the 16-bit video surface.
#include "frontend/drop_task.h"
#include "tests/frontend/sdl_fixture.h"

#include <SDL.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace gemlets {
namespace {

using fixture::pixelAt;

struct Colour {
    Uint8 r, g, b;
};
// Pure colours survive 16 bits exactly. Index 4 is the game-over image.
constexpr Colour colours[] = {{0, 0, 255}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0}, {255, 0, 255}};
constexpr Colour white{255, 255, 255};
constexpr int gameoverHeight = 100; // covers rows 0 to 2

Uint16 mapped(SDL_Surface* s, Colour c) {
    return SDL_MapRGB(s->format, c.r, c.g, c.b);
}

// The field area in the field text form, read at each cell's centre: '*' white, '0' to '3'
// a cell image, 'X' the game-over image, '?' anything else.
std::string picture(SDL_Surface* s) {
    std::string text;
    for (int row = 0; row < fieldH; ++row) {
        for (int column = 0; column < fieldW; ++column) {
            const Uint16 pixel = pixelAt(s, gemletW * column + 16, gemletH * row + 16);
            char shown = pixel == mapped(s, white) ? '*' : '?';
            for (int i = 0; i < 5; ++i)
                shown = pixel == mapped(s, colours[i]) ? "0123X"[i] : shown;
            text += shown;
        }
        text += '\n';
    }
    return text;
}

// The box around every pixel that is not white; w 0 when none is.
SDL_Rect inkBox(SDL_Surface* s) {
    int left = s->w, top = s->h, right = -1, bottom = -1;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            if (pixelAt(s, x, y) == mapped(s, white))
                continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{Sint16(left), Sint16(top), Uint16(right - left + 1), Uint16(bottom - top + 1)};
}

// The pixels right of the field, where the score or "Paused" goes.
std::vector<Uint16> textArea(SDL_Surface* s) {
    std::vector<Uint16> pixels;
    for (int y = 0; y < s->h; ++y) {
        for (int x = fieldW * gemletW; x < s->w; ++x)
            pixels.push_back(pixelAt(s, x, y));
    }
    return pixels;
}

constexpr const char* startPicture = "******\n***3**\n***1**\n******\n******\n******\n"
                                     "******\n******\n******\n******\n******\n******\n";

class SdlTest : public fixture::DummyWindowTest {
protected:
    SdlTest() {
        for (int colour = 0; colour < maxCols; ++colour)
            screen.cellImages[colour] = solidImage(gemletW, gemletH, colours[colour]);
        screen.gameover = solidImage(fieldW * gemletW, gameoverHeight, colours[4]);
    }

    SurfacePtr solidImage(int w, int h, Colour colour) {
        const SDL_PixelFormat* f = screen.surface->format;
        SurfacePtr image(SDL_CreateRGBSurface(0, w, h, 16, f->Rmask, f->Gmask, f->Bmask, 0));
        SDL_FillRect(image.get(), nullptr, mapped(image.get(), colour));
        return image;
    }

    // The text tests need the real font that the build puts beside the game.
    void openTheFont() {
        ASSERT_TRUE(std::filesystem::exists(fixture::runDir / fontFile)) << fixture::runDir;
        screen.font = openFont(fixture::runDir / fontFile, fontPointSize);
    }

    // Right of the field the frame must show `text` alone, as drawSdlString draws it at
    // (202, 192), whose ink starts there or a little after it (side bearing, ascent).
    void expectText(const std::string& text) {
        const std::vector<Uint16> shown = textArea(screen.surface);
        SDL_FillRect(screen.surface, nullptr, mapped(screen.surface, white));
        drawSdlString(screen, text, textX, screen.surface->h / 2);
        EXPECT_TRUE(shown == textArea(screen.surface))
            << "the frame does not show \"" << text << '"';
        const SDL_Rect ink = inkBox(screen.surface);
        EXPECT_TRUE(ink.w > 0 && ink.x >= textX && ink.y >= screen.surface->h / 2)
            << "\"" << text << "\" is not drawn at (202, 192)";
    }
};

TEST_F(SdlTest, AFrameIsWhiteWithACellImageWhereAGemletIs) {
    frameStep(screen, game);
    EXPECT_EQ(picture(screen.surface), startPicture);
    const SDL_Rect ink = inkBox(screen.surface);
    EXPECT_TRUE(ink.x == 96 && ink.y == 32 && ink.w == 32 && ink.h == 64)
        << "more than the pair is drawn (no font, so no text)";
}

TEST_F(SdlTest, CellsHoldingNoColourStayBlankAndAShortFieldWrapsAtSix) {
    SDL_FillRect(screen.surface, nullptr, mapped(screen.surface, white));
    drawField(screen, Field{-1, 255, 2, 4, -7, 0, 3, 1});
    EXPECT_EQ(picture(screen.surface), "**2**0\n31****\n******\n******\n******\n******\n"
                                       "******\n******\n******\n******\n******\n******\n");
}

TEST_F(SdlTest, GameOverShowsItsImageInsteadOfTheFieldAndStillTheScore) {
    openTheFont();
    game.state = State::gameover;
    game.points = 40;
    frameStep(screen, game);
    EXPECT_EQ(picture(screen.surface), "XXXXXX\nXXXXXX\nXXXXXX\n******\n******\n******\n"
                                       "******\n******\n******\n******\n******\n******\n");
    expectText("40");
}

TEST_F(SdlTest, PausedReplacesTheScore) {
    openTheFont();
    game.gemlets.clear();
    game.state = State::pause;
    frameStep(screen, game);
    expectText("Paused");
}

TEST_F(SdlTest, TextThatCannotBeRenderedDrawsNothing) {
    openTheFont();
    SDL_FillRect(screen.surface, nullptr, mapped(screen.surface, white));
    drawSdlString(screen, "", textX, 192); // SDL_ttf renders no surface for empty text
    EXPECT_EQ(inkBox(screen.surface).w, 0);
}

TEST_F(SdlTest, QuitLeavesAPlainWhiteLastFrameAndEndsTheLoop) {
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    EXPECT_TRUE(runIteration(loop));
    EXPECT_FALSE(game.run);
    EXPECT_EQ(inkBox(screen.surface).w, 0) << picture(screen.surface);
    EXPECT_FALSE(runIteration(loop));
}

TEST_F(SdlTest, EachIterationTakesOneEventAndClosingTheWindowIsIgnored) {
    push(SDL_QUIT);
    push(SDL_KEYDOWN, SDLK_LEFT);
    runIteration(loop);
    EXPECT_TRUE(game.run);
    EXPECT_EQ(picture(screen.surface), startPicture);
    runIteration(loop);
    EXPECT_EQ(picture(screen.surface), "******\n**3***\n**1***\n******\n******\n******\n"
                                       "******\n******\n******\n******\n******\n******\n");
}

TEST_F(SdlTest, ALandingBringsTheNextPairToTheSpawnCellsAFrameLater) {
    while (game.state != State::newGemlets)
        dropStep(game);
    runIteration(loop); // draws the landed pair; then the turn step searches twice and spawns
    EXPECT_EQ(out.str(), "\nbacktrackGemlets\ngemlets count = 2"
                         "\nbacktrackGemlets\ngemlets count = 2");
    EXPECT_EQ(game.state, State::unpause);
    EXPECT_EQ(picture(screen.surface), "******\n******\n******\n******\n******\n******\n"
                                       "******\n******\n******\n******\n***3**\n***1**\n");
    runIteration(loop); // seed 5489: mt19937's first draws, fixed by the standard, give 0, 2
    EXPECT_EQ(picture(screen.surface), "**02**\n******\n******\n******\n******\n******\n"
                                       "******\n******\n******\n******\n***3**\n***1**\n");
}

} // namespace
} // namespace gemlets

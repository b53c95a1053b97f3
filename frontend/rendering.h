// Drawing one frame: white background, the field's cell images or the game-over image, and
// the score or "Paused" to the right of the field.
#pragma once

#include "frontend/sdl_resources.h"
#include "model/field.h"
#include "model/game.h"

#include <SDL.h>
#include <array>
#include <string>

namespace gemlets {

inline constexpr const char* fontFile = "font.ttf";
inline constexpr int fontPointSize = 32;
// By colour code: 0 blue, 1 red, 2 green, 3 yellow.
inline constexpr std::array<const char*, maxCols> cellImageFiles{
    "gemlet_blue.jpg", "gemlet_red.jpg", "gemlet_green.jpg", "gemlet_yellow.jpg"};
inline constexpr const char* gameoverImageFile = "gameover.jpg";

// Where the score or "Paused" goes: right of the field, at half the window's height.
inline constexpr int textX = gemletW * fieldW + 10;

// Everything a frame is drawn with. A missing font or image draws nothing in its place.
struct Screen {
    SDL_Surface* surface = nullptr; // the window; SDL owns it
    SDL_Rect backgroundRect{0, 0, windowWidth, windowHeight};
    FontPtr font;
    std::array<SurfacePtr, maxCols> cellImages;
    SurfacePtr gameover;
};

// Blits the image of every cell holding a colour code at (32 * (i mod 6), 32 * (i div 6));
// any other value leaves its cell as it is.
void drawField(Screen& screen, const Field& f);

// Draws str in black with its top-left corner at (x, y); nothing when it cannot be rendered.
void drawSdlString(Screen& screen, const std::string& str, int x, int y);

// One whole frame, from the white fill to SDL_Flip; brings game.field up to date from the
// gemlets first. Draws nothing on the white once the run has ended.
void frameStep(Screen& screen, Game& game);

} // namespace gemlets

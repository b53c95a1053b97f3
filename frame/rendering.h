// SPDX-License-Identifier: MIT
// Drawing one frame: white background, the field's cell images or the game-over image, and
// the score or "Paused" to the right of the field.
#pragma once

#include "assets/asset_names.h"
#include "frame/resources.h"
#include "model/field.h"
#include "model/game.h"

#include <SDL.h>
#include <array>
#include <string>

namespace gemlets {

// Where the score or "Paused" goes: right of the field, at half the window's height.
inline constexpr int textX = fieldPixelW + 10;

// Where one image went in a frame, clipped to the window; no image, an empty area.
struct Placed {
    const SDL_Surface* image = nullptr;
    SDL_Rect area{0, 0, 0, 0};
};

// What a frame drew over the white fill, place by place. Two frames that drew the same in a
// place drew the same pixels there, so a frame differs from the last one only inside the
// places whose image changed.
struct FrameLayout {
    std::array<Placed, fieldW * fieldH> cells{};
    Placed gameover;
    std::string text;  // the text's pixels depend only on the string, the font being fixed
    Placed textPlaced; // its surface lives one call only: only its area is compared
};

// Everything a frame is drawn with, and what the last frame handed to SDL. The images and the
// font are set before the first frame and kept: a frame compares images by address.
// A missing font or image draws nothing in its place.
struct Screen {
    SDL_Surface* surface = nullptr; // the window; SDL owns it
    SDL_Rect backgroundRect{0, 0, windowWidth, windowHeight};
    FontPtr font;
    std::array<SurfacePtr, maxCols> cellImages;
    SurfacePtr gameover;

    FrameLayout drawing; // the frame under way
    FrameLayout shown;   // the last frame handed to SDL
    // The first frame, and the first after an expose, show the whole window: what it showed
    // before is unknown.
    bool wholeWindowDue = true;
    // The parts of the window the last frame handed to SDL to show.
    std::array<SDL_Rect, 2> updated{};
    std::size_t updatedCount = 0;
};

// Blits the image of every cell holding a colour code at (32 * (i mod 6), 32 * (i div 6));
// any other value leaves its cell as it is.
void drawField(Screen& screen, const Field& f);

// Draws str in black with its top-left corner at (x, y); nothing when it cannot be rendered.
void drawSdlString(Screen& screen, const std::string& str, int x, int y);

// One whole frame, from the white fill to handing it to SDL; brings game.field up to date
// from the gemlets first. Draws nothing on the white once the run has ended. Every frame is
// drawn whole on the window's surface, but SDL is given only the parts that changed since
// the last frame (SDL_UpdateRects, no parts at all when nothing changed), or the whole window
// (SDL_Flip) when wholeWindowDue: sdl12-compat converts and presents what it is given, and a
// whole window costs it several times the rest of the frame.
void frameStep(Screen& screen, Game& game);

// Call when SDL reports that the window was exposed: the next frame shows all of it.
void showWholeWindowNext(Screen& screen);

} // namespace gemlets

// SPDX-License-Identifier: MIT
// Drawing a frame: white background, the field's cell images or the game-over image, and the
// score or "Paused" to the right of the field; drawn only when it differs from the last one.
#pragma once

#include "assets/asset_names.h"
#include "frontend/geometry.h"
#include "frontend/resources.h"
#include "model/field.h"
#include "model/game.h"

#include <SDL.h>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace gemlets {

// Where the score or "Paused" goes: right of the field, at half the window's height.
inline constexpr int textX = fieldPixelW + 10;

// One thing a frame draws over the white fill, with its top-left corner: an image, or a text.
// A text's surface lives for one draw only, so a text is known by its string: the font being
// fixed, the same string draws the same pixels.
struct Placement {
    SDL_Surface* image = nullptr;
    std::string text;
    int x = 0;
    int y = 0;
    bool operator==(const Placement&) const = default;
};

// Everything a frame is drawn with, and what the window shows. The images and the font are
// set before the first frame and kept: a frame compares images by address. A missing font or
// image draws nothing in its place.
struct Screen {
    SDL_Surface* surface = nullptr; // the frame: the window, unless `present` is set
    SDL_Rect backgroundRect{0, 0, windowWidth, windowHeight};
    FontPtr font;
    std::array<SurfacePtr, maxCols> cellImages;
    SurfacePtr gameover;

    // What the frame under way places, in drawing order, and the area each one covered when
    // drawn (clipped to the window; empty for what drew nothing).
    std::vector<Placement> placing;
    std::vector<SDL_Rect> placingAreas;
    // The same for the last frame drawn: what the window shows.
    std::vector<Placement> shown;
    std::vector<SDL_Rect> shownAreas;
    // The first frame, and the first after an expose, are drawn and shown whole: what the
    // window showed before is unknown.
    bool wholeWindowDue = true;
    // The parts of the frame the last frame step handed over; none when it drew nothing.
    std::vector<SDL_Rect> updated;
    // Set where the frame is drawn off the window (the desktop's window at another size, or
    // the whole screen): hands over those parts of the frame, or all of it when `whole`.
    // Unset, SDL is handed them from the window itself.
    std::function<void(const std::vector<SDL_Rect>& parts, bool whole)> present;
};

// Places the image of every cell holding a colour code at (gemletW * (i mod fieldW),
// gemletH * (i div fieldW)); any other value places nothing.
void drawField(Screen& screen, const Field& f);

// Places str, drawn in black with its top-left corner at (x, y).
void drawSdlString(Screen& screen, const std::string& str, int x, int y);

// Fills the window white and draws everything placed, in order, noting each one's area.
// Nothing is drawn for a text that cannot be rendered.
void drawPlaced(Screen& screen);

// One frame: brings game.field up to date from the gemlets and places the field or the
// game-over image and the score or "Paused" (nothing once the run has ended). When that is
// what the last frame drawn placed, and no expose came since, the window already shows it:
// nothing is drawn or handed to SDL. Otherwise the frame is drawn whole on screen.surface, and
// the areas of what differs between the two frames are handed over (SDL_UpdateRects), or the
// whole frame (SDL_Flip) when wholeWindowDue; through screen.present when it is set. A replay
// being watched leaves the field to its recorded events: updateField false.
void frameStep(Screen& screen, Game& game, bool updateField = true);

// Call when SDL reports that the window was exposed: the next frame is drawn and shown whole.
void showWholeWindowNext(Screen& screen);

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The 16-bit surfaces the SDL suites draw on and read back pixel by pixel, and what a screen
// shows of a window from the parts of it handed to SDL.
#pragma once

#include "frontend/resources.h"

#include <SDL.h>
#include <algorithm>
#include <vector>

namespace gemlets::fixture {

inline Uint16 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<const Uint16*>(s->pixels)[y * s->pitch / 2 + x];
}

// The pixels of the surface's top rows, down to row h.
inline std::vector<Uint16> pixels(SDL_Surface* s, int h) {
    std::vector<Uint16> all;
    for (int y = 0; y < std::min(h, s->h); ++y)
        for (int x = 0; x < s->w; ++x)
            all.push_back(pixelAt(s, x, y));
    return all;
}

// A w x h image in the window's pixel format, of one colour.
inline SurfacePtr solidImage(SDL_Surface* window, int w, int h, SDL_Color c) {
    const SDL_PixelFormat* f = window->format;
    SurfacePtr image(SDL_CreateRGBSurface(0, w, h, 16, f->Rmask, f->Gmask, f->Bmask, 0));
    SDL_FillRect(image.get(), nullptr, SDL_MapRGB(image->format, c.r, c.g, c.b));
    return image;
}

// The screen, sized as the window, takes the window's pixels in the parts handed to SDL.
inline void handOver(SDL_Surface* window, const std::vector<SDL_Rect>& parts,
                     std::vector<Uint16>& screen) {
    screen.resize(std::size_t(window->w * window->h));
    for (const SDL_Rect& r : parts)
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                screen[std::size_t(y * window->w + x)] = pixelAt(window, x, y);
}

} // namespace gemlets::fixture

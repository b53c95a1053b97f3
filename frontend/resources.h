// SPDX-License-Identifier: MIT
// The SDL resources every platform's frame is drawn with: owners for surfaces and the font,
// the window's size, and the helpers that open them or report SDL's error. Nothing here is
// one platform's own; the video surface belongs to SDL and is never freed here.
#pragma once

#include "frontend/geometry.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>

namespace gemlets {

// A start-up step that failed, with the call or file and SDL's error text.
class StartupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "what: SDL's error text", for a StartupError.
std::string sdlFailure(const std::string& what);

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct FontDeleter {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using FontPtr = std::unique_ptr<TTF_Font, FontDeleter>;

inline constexpr int windowBitsPerPixel = 16;

inline constexpr int fontPointSize = 32;

// "SDL_SetVideoMode(384, 384, 16)" for the standard field's window, as a failure names the call.
inline std::string videoModeCall(int w = windowWidth, int h = windowHeight) {
    return "SDL_SetVideoMode(" + std::to_string(w) + ", " + std::to_string(h) + ", " +
           std::to_string(windowBitsPerPixel) + ")";
}

// The windowWidth x windowHeight, 16-bit software window titled "gemlets", cursor hidden.
// Throws StartupError naming SDL_SetVideoMode.
SDL_Surface* openWindow();

// The image as SDL_image loads it. Throws StartupError naming the file.
SurfacePtr openImage(const std::filesystem::path& path);

// Throws StartupError naming the file.
FontPtr openFont(const std::filesystem::path& path, int pointSize = fontPointSize);

// Keeps the events the game never acts on (pointer motion and buttons, key and button
// releases, joystick axes and balls; a hat is a d-pad, kept) out of SDL's queue, with those of
// `platformEvents` that only one platform's SDL has. Enabled, SDL queues every one (a moving
// pointer alone fills the queue), and a press waits behind them, taken one an iteration.
void ignoreUnusedEvents(std::initializer_list<Uint32> platformEvents);

} // namespace gemlets

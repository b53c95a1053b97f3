// SPDX-License-Identifier: MIT
// Owners for the SDL resources the game loads, and the helpers that make them or report
// SDL's error. The video surface belongs to SDL and is never freed here.
#pragma once

#include "model/field.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <filesystem>
#include <memory>
#include <string>

namespace gemlets {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

struct FontDeleter {
    void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
using FontPtr = std::unique_ptr<TTF_Font, FontDeleter>;

struct JoystickDeleter {
    void operator()(SDL_Joystick* joystick) const { SDL_JoystickClose(joystick); }
};
using JoystickPtr = std::unique_ptr<SDL_Joystick, JoystickDeleter>;

// The field on the left half, the score or "Paused" on the right.
inline constexpr int windowWidth = 2 * fieldPixelW;
inline constexpr int windowHeight = fieldPixelH;
inline constexpr int windowBitsPerPixel = 16;

// "SDL_SetVideoMode(384, 384, 16)", as a failure names the call.
inline std::string videoModeCall() {
    return "SDL_SetVideoMode(" + std::to_string(windowWidth) + ", " + std::to_string(windowHeight) +
           ", " + std::to_string(windowBitsPerPixel) + ")";
}

// The 384 x 384 (windowWidth x windowHeight), 16-bit software window titled "gemlets", cursor
// hidden. Throws StartupError naming SDL_SetVideoMode.
SDL_Surface* openWindow();

// An image converted to the window's format and prepared by prepareForBlits. Needs the
// window; throws StartupError naming the file.
SurfacePtr loadImage(const std::filesystem::path& path);

// Gives the image a colour key that none of its pixels holds, run-length encoded, when it has
// 2- or 4-byte pixels without alpha and such a key exists; otherwise leaves it as it is. What a
// blit draws does not change, but SDL then copies each row with memcpy: its plain same-format blit
// copies with non-temporal stores, several times slower when the window's rows are not 64-byte
// aligned, as on SDL's dummy driver. On sdl12-compat the image is left as it is: the key reaches
// SDL2 without the run-length encoding, and SDL2 then tests every pixel against it, slower than
// its plain copy. Throws StartupError naming SDL_SetColorKey.
void prepareForBlits(SDL_Surface* image);

// Throws StartupError naming the file.
FontPtr openFont(const std::filesystem::path& path, int pointSize);

// Joystick 0, or none on a machine without a game controller: the keyboard plays then.
JoystickPtr openJoystick();

} // namespace gemlets

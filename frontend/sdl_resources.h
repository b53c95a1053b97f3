// Owners for the SDL resources the game loads, and the helpers that make them or report
// SDL's error. The video surface belongs to SDL and is never freed here.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>
#include <filesystem>
#include <memory>

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

inline constexpr int windowWidth = 384;
inline constexpr int windowHeight = 384;
inline constexpr int windowBitsPerPixel = 16;

// The 384 x 384, 16-bit software window titled "gemlets", cursor hidden. Throws
// StartupError naming SDL_SetVideoMode.
SDL_Surface* openWindow();

// An image converted to the window's format, so that every blit is a plain copy. Needs the
// window; throws StartupError naming the file.
SurfacePtr loadImage(const std::filesystem::path& path);

// Throws StartupError naming the file.
FontPtr openFont(const std::filesystem::path& path, int pointSize);

// Joystick 0, or none on a machine without a game controller: the keyboard plays then.
JoystickPtr openJoystick();

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The desktop's own way with SDL's resources: images made ready for fast blits on classic
// SDL, and the joystick: the GP2X's buttons or a pad's.
#pragma once

#include "frontend/resources.h"
#include "play/commands.h"

#include <SDL.h>
#include <filesystem>
#include <memory>

namespace gemlets {

struct JoystickDeleter {
    void operator()(SDL_Joystick* joystick) const { SDL_JoystickClose(joystick); }
};
using JoystickPtr = std::unique_ptr<SDL_Joystick, JoystickDeleter>;

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

// sdl12-compat reports 1.2.50 and later, so that programs can tell it from classic SDL.
bool isSdl12Compat();

// sdl12-compat's setting that lists only the joysticks SDL2 knows as game controllers, their
// buttons in SDL2's controller order (PadButton's). SdlSession asks for it unless the player
// has set it.
inline constexpr const char* gameControllersSetting = "SDL12COMPAT_USE_GAME_CONTROLLERS";

// Stops SDL2's game-controller layer that openJoystick started in SDL2 itself. SDL2 then frees
// every controller: sdl12-compat's joysticks must have stopped first.
struct ControllerLayerStop {
    void operator()(void* sdl2) const;
};
using ControllerLayer = std::unique_ptr<void, ControllerLayerStop>;

// Joystick 0 and how its buttons are read; no device on a machine without a joystick: the
// keyboard plays then.
struct Joystick {
    Joystick() = default;
    Joystick(Joystick&&) = default;
    Joystick& operator=(Joystick&&) = default;
    // Closes the device, then stops sdl12-compat's joysticks before the controller layer.
    ~Joystick();

    ControllerLayer layer;
    JoystickPtr device;
    Pad pad = Pad::gp2x;
};

// Under sdl12-compat with its game controllers, the first one, read in PadButton's order, or,
// where SDL2 knows none, the first joystick as classic SDL lists it, read by its shape (the
// GP2X's, or the common order). Call after SDL_Init, before any other joystick call.
Joystick openJoystick();

} // namespace gemlets

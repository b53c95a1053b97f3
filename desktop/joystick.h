// SPDX-License-Identifier: MIT
// Joystick 0 and how its buttons are read: the GP2X's buttons, a pad's in the common order,
// or, under sdl12-compat, a game controller's in SDL2's order. This file alone sets
// sdl12-compat's choice between listing game controllers and listing joysticks.
#pragma once

#include "desktop/sdl2_controllers.h"
#include "play/bindings.h"

#include <SDL.h>
#include <memory>

namespace gemlets {

struct JoystickDeleter {
    void operator()(SDL_Joystick* joystick) const { SDL_JoystickClose(joystick); }
};
using JoystickPtr = std::unique_ptr<SDL_Joystick, JoystickDeleter>;

// Under sdl12-compat, asks it to list only the joysticks SDL2 knows as game controllers,
// their buttons in SDL2's order, unless the player has chosen (SDL12COMPAT_USE_GAME_CONTROLLERS).
// Call before SDL_Init, which reads it.
void preferGameControllers();

// A setting read as SDL reads a boolean one: unset is false, "0" and "false" too.
bool settingOn(const char* name);

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

// How joystick 0's buttons are read: a pad that sdl12-compat lists as a game controller in
// SDL2's order, whatever its shape; any other by its shape.
constexpr Pad padNumbering(bool listedAsController, int buttons, int hats) {
    if (listedAsController)
        return Pad::controller;
    return padShaped(buttons, hats);
}

// Under sdl12-compat with its game controllers, the first one, read in PadButton's order, or,
// where SDL2 knows none, the first joystick as classic SDL lists it, read by its shape (the
// GP2X's, or the common order). Call after SDL_Init, before any other joystick call.
Joystick openJoystick();

} // namespace gemlets

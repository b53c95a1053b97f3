// SPDX-License-Identifier: MIT
#include "desktop/joystick.h"

#include "desktop/sdl_session.h"
#include "frontend/resources.h"

#include <cstdlib>
#include <string_view>
#include <strings.h>

namespace gemlets {

namespace {

// sdl12-compat's setting: list only the joysticks SDL2 knows as game controllers, their
// buttons in SDL2's order. It reads it when its joysticks start.
constexpr const char* gameControllersSetting = "SDL12COMPAT_USE_GAME_CONTROLLERS";

} // namespace

bool settingOn(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::string_view(value) != "0" && strcasecmp(value, "false") != 0;
}

void preferGameControllers() {
    // sdl12-compat numbers a pad that SDL2 knows in SDL2's controller order, whatever its
    // driver's numbers.
    if (isSdl12Compat())
        setenv(gameControllersSetting, "1", 0);
}

Joystick::~Joystick() {
    device.reset();
    if (layer)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

Joystick openJoystick() {
    Joystick joystick;
    bool controllers = isSdl12Compat() && settingOn(gameControllersSetting);
    // The layer only where sdl12-compat listed a controller for it to press.
    if (controllers && SDL_NumJoysticks() >= 1)
        joystick.layer = startControllerLayer();
    if (controllers && !joystick.layer) {
        // A joystick SDL2 has no mapping for (the GP2X's) is hidden from that list:
        // sdl12-compat lists again, as classic SDL does, when its joysticks start again.
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        controllers = false;
        setenv(gameControllersSetting, "0", 1);
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
            throw StartupError(sdlFailure("SDL_InitSubSystem(SDL_INIT_JOYSTICK)"));
    }
    if (SDL_NumJoysticks() < 1)
        return joystick;
    joystick.device.reset(SDL_JoystickOpen(0));
    if (joystick.device)
        joystick.pad = padNumbering(controllers, SDL_JoystickNumButtons(joystick.device.get()),
                                    SDL_JoystickNumHats(joystick.device.get()));
    return joystick;
}

} // namespace gemlets

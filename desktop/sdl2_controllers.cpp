// SPDX-License-Identifier: MIT
#include "desktop/sdl2_controllers.h"

#include "play/input.h"

#include <SDL.h> // SDL2's: this library is built with SDL2's headers alone
#include <array>
#include <dlfcn.h>

static_assert(SDL_MAJOR_VERSION == 2, "desktop/sdl2_controllers.cpp is built with SDL2's headers");

namespace gemlets {

namespace {

// sdl12-compat numbers a game controller's buttons in SDL2's order, which is PadButton's.
struct Sdl2Button {
    PadButton button;
    SDL_GameControllerButton sdl2;
};
constexpr auto sdl2Buttons = std::to_array<Sdl2Button>({
    {PadButton::a, SDL_CONTROLLER_BUTTON_A},
    {PadButton::b, SDL_CONTROLLER_BUTTON_B},
    {PadButton::x, SDL_CONTROLLER_BUTTON_X},
    {PadButton::y, SDL_CONTROLLER_BUTTON_Y},
    {PadButton::back, SDL_CONTROLLER_BUTTON_BACK},
    {PadButton::guide, SDL_CONTROLLER_BUTTON_GUIDE},
    {PadButton::start, SDL_CONTROLLER_BUTTON_START},
    {PadButton::leftStick, SDL_CONTROLLER_BUTTON_LEFTSTICK},
    {PadButton::rightStick, SDL_CONTROLLER_BUTTON_RIGHTSTICK},
    {PadButton::leftShoulder, SDL_CONTROLLER_BUTTON_LEFTSHOULDER},
    {PadButton::rightShoulder, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER},
    {PadButton::dpadUp, SDL_CONTROLLER_BUTTON_DPAD_UP},
    {PadButton::dpadDown, SDL_CONTROLLER_BUTTON_DPAD_DOWN},
    {PadButton::dpadLeft, SDL_CONTROLLER_BUTTON_DPAD_LEFT},
    {PadButton::dpadRight, SDL_CONTROLLER_BUTTON_DPAD_RIGHT},
});
constexpr bool inSdl2Order() {
    for (const Sdl2Button& entry : sdl2Buttons) {
        if (static_cast<int>(entry.button) != static_cast<int>(entry.sdl2))
            return false;
    }
    return true;
}
static_assert(holdsEachOnce<PadButton>(sdl2Buttons, &Sdl2Button::button) && inSdl2Order(),
              "PadButton's order is SDL2's for a game controller");

template <class Function> Function* sdl2Function(void* sdl2, const char* name) {
    return reinterpret_cast<Function*>(dlsym(sdl2, name));
}

} // namespace

ControllerLayer startControllerLayer() {
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (!sdl2)
        return nullptr;
    auto* init = sdl2Function<decltype(SDL_InitSubSystem)>(sdl2, "SDL_InitSubSystem");
    if (!init || init(SDL_INIT_GAMECONTROLLER) != 0) {
        dlclose(sdl2);
        return nullptr;
    }
    return ControllerLayer(sdl2);
}

void ControllerLayerStop::operator()(void* sdl2) const {
    if (auto* quit = sdl2Function<decltype(SDL_QuitSubSystem)>(sdl2, "SDL_QuitSubSystem"))
        quit(SDL_INIT_GAMECONTROLLER);
    dlclose(sdl2);
}

} // namespace gemlets

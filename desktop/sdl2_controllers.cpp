// SPDX-License-Identifier: MIT
#include "desktop/sdl2_controllers.h"

#include <SDL.h> // SDL2's: this library is built with SDL2's headers alone
#include <dlfcn.h>

static_assert(SDL_MAJOR_VERSION == 2, "desktop/sdl2_controllers.cpp is built with SDL2's headers");

namespace gemlets {

namespace {

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

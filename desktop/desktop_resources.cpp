// SPDX-License-Identifier: MIT
#include "desktop/desktop_resources.h"

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <optional>
#include <string>
#include <string_view>
#include <strings.h>
#include <vector>

namespace gemlets {

namespace {

// The smallest pixel value that no pixel of the image holds, for 2- and 4-byte pixels
// without alpha (SDL leaves the alpha bits out when it compares a pixel with the key).
std::optional<Uint32> unusedPixelValue(SDL_Surface* image) {
    const int bytes = image->format->BytesPerPixel;
    if ((bytes != 2 && bytes != 4) || image->format->Amask != 0)
        return std::nullopt;
    std::vector<Uint32> used;
    used.reserve(static_cast<std::size_t>(image->w) * static_cast<std::size_t>(image->h));
    for (int y = 0; y < image->h; ++y) {
        const Uint8* row = static_cast<const Uint8*>(image->pixels) + y * image->pitch;
        for (int x = 0; x < image->w; ++x)
            used.push_back(bytes == 2 ? reinterpret_cast<const Uint16*>(row)[x]
                                      : reinterpret_cast<const Uint32*>(row)[x]);
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    const Uint64 values = Uint64{1} << (8 * bytes);
    Uint64 candidate = 0;
    for (const Uint32 value : used) {
        if (value != candidate)
            break;
        ++candidate;
    }
    if (candidate >= values)
        return std::nullopt;
    return static_cast<Uint32>(candidate);
}

constexpr Uint32 sdl2GameControllerFlag = 0x2000; // SDL2's SDL_INIT_GAMECONTROLLER

// A setting read as SDL reads a boolean one: unset is false, "0" and "false" too.
bool settingOn(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::string_view(value) != "0" && strcasecmp(value, "false") != 0;
}

template <class Function> Function* sdl2Function(void* sdl2, const char* name) {
    return reinterpret_cast<Function*>(dlsym(sdl2, name));
}

// sdl12-compat lists game controllers but starts only SDL2's joystick layer, and without its
// game-controller layer SDL2 turns no button into a controller event: the pad would be listed
// and never pressed. Started here, in the SDL2 that sdl12-compat loaded; none without one.
ControllerLayer startControllerLayer() {
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (!sdl2)
        return nullptr;
    auto* init = sdl2Function<int(Uint32)>(sdl2, "SDL_InitSubSystem");
    if (!init || init(sdl2GameControllerFlag) != 0) {
        dlclose(sdl2);
        return nullptr;
    }
    return ControllerLayer(sdl2);
}

} // namespace

bool isSdl12Compat() {
    return SDL_Linked_Version()->patch >= 50;
}

void ControllerLayerStop::operator()(void* sdl2) const {
    if (auto* quit = sdl2Function<void(Uint32)>(sdl2, "SDL_QuitSubSystem"))
        quit(sdl2GameControllerFlag);
    dlclose(sdl2);
}

SurfacePtr loadImage(const std::filesystem::path& path) {
    const SurfacePtr loaded = openImage(path);
    SurfacePtr converted(SDL_DisplayFormat(loaded.get()));
    if (!converted)
        throw StartupError(sdlFailure(path.string() + ": SDL_DisplayFormat"));
    prepareForBlits(converted.get());
    return converted;
}

void prepareForBlits(SDL_Surface* image) {
    if (isSdl12Compat())
        return;
    if (SDL_MUSTLOCK(image) && SDL_LockSurface(image) != 0)
        return; // pixels out of reach: the plain copy still draws the same
    const std::optional<Uint32> key = unusedPixelValue(image);
    if (SDL_MUSTLOCK(image))
        SDL_UnlockSurface(image);
    if (key && SDL_SetColorKey(image, SDL_SRCCOLORKEY | SDL_RLEACCEL, *key) != 0)
        throw StartupError(sdlFailure("SDL_SetColorKey"));
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
        joystick.pad = padShaped(SDL_JoystickNumButtons(joystick.device.get()),
                                 SDL_JoystickNumHats(joystick.device.get()), controllers);
    return joystick;
}

} // namespace gemlets

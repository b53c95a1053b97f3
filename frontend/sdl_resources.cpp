#include "frontend/sdl_resources.h"

#include "frontend/sdl_session.h"

#include <SDL_image.h>

namespace gemlets {

SDL_Surface* openWindow() {
    SDL_WM_SetCaption("gemlets", "gemlets");
    SDL_Surface* surface =
        SDL_SetVideoMode(windowWidth, windowHeight, windowBitsPerPixel, SDL_SWSURFACE);
    if (surface == nullptr)
        throw StartupError(sdlFailure("SDL_SetVideoMode(384, 384, 16)"));
    SDL_ShowCursor(SDL_DISABLE);
    return surface;
}

SurfacePtr loadImage(const std::filesystem::path& path) {
    const SurfacePtr loaded(IMG_Load(path.c_str()));
    if (!loaded)
        throw StartupError(sdlFailure(path.string() + ": IMG_Load"));
    SurfacePtr converted(SDL_DisplayFormat(loaded.get()));
    if (!converted)
        throw StartupError(sdlFailure(path.string() + ": SDL_DisplayFormat"));
    return converted;
}

FontPtr openFont(const std::filesystem::path& path, int pointSize) {
    FontPtr font(TTF_OpenFont(path.c_str(), pointSize));
    if (!font)
        throw StartupError(sdlFailure(path.string() + ": TTF_OpenFont"));
    return font;
}

JoystickPtr openJoystick() {
    if (SDL_NumJoysticks() < 1)
        return nullptr;
    return JoystickPtr(SDL_JoystickOpen(0));
}

} // namespace gemlets

// SPDX-License-Identifier: MIT
#include "frontend/resources.h"

#include <SDL_image.h>

namespace gemlets {

std::string sdlFailure(const std::string& what) {
    return what + ": " + SDL_GetError();
}

SDL_Surface* openWindow() {
    SDL_WM_SetCaption("gemlets", "gemlets");
    SDL_Surface* surface =
        SDL_SetVideoMode(windowWidth, windowHeight, windowBitsPerPixel, SDL_SWSURFACE);
    if (surface == nullptr)
        throw StartupError(sdlFailure(videoModeCall()));
    SDL_ShowCursor(SDL_DISABLE);
    return surface;
}

SurfacePtr openImage(const std::filesystem::path& path) {
    SurfacePtr image(IMG_Load(path.c_str()));
    if (!image)
        throw StartupError(sdlFailure(path.string() + ": IMG_Load"));
    return image;
}

FontPtr openFont(const std::filesystem::path& path, int pointSize) {
    FontPtr font(TTF_OpenFont(path.c_str(), pointSize));
    if (!font)
        throw StartupError(sdlFailure(path.string() + ": TTF_OpenFont"));
    return font;
}

void ignoreUnusedEvents(std::initializer_list<Uint32> platformEvents) {
    for (const Uint32 type :
         {Uint32{SDL_KEYUP}, Uint32{SDL_MOUSEMOTION}, Uint32{SDL_MOUSEBUTTONDOWN},
          Uint32{SDL_MOUSEBUTTONUP}, Uint32{SDL_JOYAXISMOTION}, Uint32{SDL_JOYBALLMOTION},
          Uint32{SDL_JOYBUTTONUP}})
        SDL_EventState(type, SDL_IGNORE);
    for (const Uint32 type : platformEvents)
        SDL_EventState(type, SDL_IGNORE);
}

} // namespace gemlets

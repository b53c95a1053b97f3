// SPDX-License-Identifier: MIT
#include "desktop/desktop_resources.h"

#include "desktop/sdl_session.h"

#include <algorithm>
#include <optional>
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

} // namespace

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

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The desktop's own way with SDL's images: made ready for fast blits on classic SDL.
#pragma once

#include "frontend/resources.h"

#include <SDL.h>
#include <filesystem>

namespace gemlets {

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

} // namespace gemlets

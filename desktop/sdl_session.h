// SPDX-License-Identifier: MIT
// SDL and SDL_ttf for the life of one object: initialised together, shut down together.
#pragma once

#include <string_view>

namespace gemlets {

// True on sdl12-compat (SDL 1.2 on SDL2), which reports 1.2.50 and later so that programs can
// tell it from classic SDL.
bool isSdl12Compat();

// Whether start-up keeps the video driver SDL chose. A driver that shows the player nothing,
// where SDL lands when no display opens, is kept only when SDL_VIDEODRIVER (`requested`, null
// when unset) names it, as the tests do with dummy.
bool keepsVideoDriver(std::string_view driver, const char* requested);

class SdlSession {
public:
    // SDL_Init(SDL_INIT_EVERYTHING), retried a few times because opening the display fails
    // now and then on some X servers, and refused on a video driver that shows nothing (see
    // keepsVideoDriver); then TTF_Init and ignoreUnusedEvents, focus changes included. Throws
    // StartupError, leaving nothing initialised.
    SdlSession();
    // TTF_Quit, then SDL_Quit.
    ~SdlSession();

    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

} // namespace gemlets

// SPDX-License-Identifier: MIT
// SDL and SDL_ttf for the life of one object: initialised together, shut down together.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace gemlets {

// A start-up step that failed, with the call or file and SDL's error text.
class StartupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "what: SDL's error text", for a StartupError.
std::string sdlFailure(const std::string& what);

// Whether start-up keeps the video driver SDL chose. A driver that shows the player nothing,
// where SDL lands when no display opens, is kept only when SDL_VIDEODRIVER (`requested`, null
// when unset) names it, as the tests do with dummy.
bool keepsVideoDriver(std::string_view driver, const char* requested);

// Keeps the events the game never acts on (pointer motion and buttons, key and button
// releases, joystick axes, balls and hats, focus changes) out of SDL's queue, so that a
// press is taken at the next iteration however the pointer or a stick moves.
void ignoreUnusedEvents();

class SdlSession {
public:
    // SDL_Init(SDL_INIT_EVERYTHING), retried a few times because opening the display fails
    // now and then on some X servers, and refused on a video driver that shows nothing (see
    // keepsVideoDriver); then TTF_Init and ignoreUnusedEvents. Throws StartupError, leaving
    // nothing initialised.
    SdlSession();
    // TTF_Quit, then SDL_Quit.
    ~SdlSession();

    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

} // namespace gemlets

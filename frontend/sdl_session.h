// SDL and SDL_ttf for the life of one object: initialised together, shut down together.
#pragma once

#include <stdexcept>
#include <string>

namespace gemlets {

// A start-up step that failed, with the call or file and SDL's error text.
class StartupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "what: SDL's error text", for a StartupError.
std::string sdlFailure(const std::string& what);

class SdlSession {
public:
    // SDL_Init(SDL_INIT_EVERYTHING), retried a few times because opening the display fails
    // now and then on some X servers, then TTF_Init. Throws StartupError, leaving nothing
    // initialised.
    SdlSession();
    // TTF_Quit, then SDL_Quit.
    ~SdlSession();

    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

} // namespace gemlets

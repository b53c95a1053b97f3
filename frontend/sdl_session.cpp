#include "frontend/sdl_session.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <cstdio>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace gemlets {

namespace {

constexpr int initAttempts = 5;
constexpr Uint32 retryDelayMilliseconds = 100;

// When SDL cannot open the X display it falls back to a text-mode driver that draws on the
// terminal through standard output, which carries the game's diagnostics; and a display
// that fails to open now and then would go unnoticed. So such an init counts as failed.
bool isTextModeDriver(std::string_view name) {
    return name == "caca" || name == "aalib";
}

// Standard output goes to /dev/null while this lives: a text-mode driver writes its
// terminal set-up and reset there during SDL_Init and SDL_Quit.
class QuietStandardOutput {
public:
    QuietStandardOutput() {
        std::fflush(stdout);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0 && saved_ >= 0)
            dup2(null, STDOUT_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietStandardOutput() {
        if (saved_ < 0)
            return;
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    QuietStandardOutput(const QuietStandardOutput&) = delete;
    QuietStandardOutput& operator=(const QuietStandardOutput&) = delete;

private:
    int saved_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
};

// One SDL_Init; an empty text on success, otherwise what failed.
std::string initOnce() {
    const QuietStandardOutput quiet;
    if (SDL_Init(SDL_INIT_EVERYTHING) != 0) {
        std::string failure = sdlFailure("SDL_Init");
        SDL_Quit();
        return failure;
    }
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    if (!isTextModeDriver(driver))
        return "";
    SDL_Quit();
    return std::string("SDL_Init: no X display could be opened (SDL fell back to its text-mode "
                       "video driver \"") +
           driver + "\")";
}

} // namespace

std::string sdlFailure(const std::string& what) {
    return what + ": " + SDL_GetError();
}

SdlSession::SdlSession() {
    for (int attempt = 1;; ++attempt) {
        const std::string failure = initOnce();
        if (failure.empty())
            break;
        if (attempt == initAttempts)
            throw StartupError(failure + " (tried " + std::to_string(attempt) + " times)");
        SDL_Delay(retryDelayMilliseconds * attempt);
    }
    if (TTF_Init() != 0) {
        const std::string failure = sdlFailure("TTF_Init");
        SDL_Quit();
        throw StartupError(failure);
    }
}

SdlSession::~SdlSession() {
    TTF_Quit();
    SDL_Quit();
}

} // namespace gemlets

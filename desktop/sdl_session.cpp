// SPDX-License-Identifier: MIT
#include "desktop/sdl_session.h"

#include "desktop/joystick.h"
#include "frontend/resources.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <unistd.h>
#if GEMLETS_HOLD_X_SERVER
#include <xcb/xcb.h>
#endif

namespace gemlets {

namespace {

constexpr int initAttempts = 5;
constexpr Uint32 retryDelayMilliseconds = 100;

// Where SDL cannot open a display it falls back to a driver that shows nothing: classic SDL
// 1.2 to a text-mode one that draws on the terminal through standard output (which carries
// the game's diagnostics), SDL 2 under sdl12-compat to an offscreen one. The game would run
// unseen, and a display that fails to open now and then would go unnoticed.
constexpr std::array<std::string_view, 5> driversShowingNothing{"aalib", "caca", "dummy", "evdev",
                                                                "offscreen"};

bool caseBlindEqual(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

bool isSdl12Compat() {
    return SDL_Linked_Version()->patch >= 50;
}

bool keepsVideoDriver(std::string_view driver, const char* requested) {
    if (std::ranges::find(driversShowingNothing, driver) == driversShowingNothing.end())
        return true;
    // SDL 2 takes a comma-separated list of names, SDL 1.2 a single one. Split by hand:
    // clang 14 cannot compile std::views::split over libstdc++ 12.
    std::string_view rest(requested ? requested : "");
    for (;;) {
        const std::size_t comma = rest.find(',');
        if (caseBlindEqual(rest.substr(0, comma), driver))
            return true;
        if (comma == std::string_view::npos)
            return false;
        rest.remove_prefix(comma + 1);
    }
}

namespace {

// A standard stream goes to /dev/null while this lives. During SDL_Init a text-mode driver
// writes its terminal set-up to standard output, and the libraries SDL tries on its way to a
// driver (a display server that is not there, a sound system without a card) write their
// complaints to standard error, as they do again when a sound device is opened; a failure is
// reported in the game's own words after it.
class QuietStream {
public:
    QuietStream(std::FILE* stream, int fd) : fd_(fd), saved_(fcntl(fd, F_DUPFD_CLOEXEC, 0)) {
        std::fflush(stream);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0 && saved_ >= 0)
            dup2(null, fd_);
        if (null >= 0)
            close(null);
    }
    ~QuietStream() {
        if (saved_ < 0)
            return;
        dup2(saved_, fd_);
        close(saved_);
    }
    QuietStream(const QuietStream&) = delete;
    QuietStream& operator=(const QuietStream&) = delete;

private:
    int fd_;
    int saved_;
};

// A connection of our own to the X server while SDL_Init runs. SDL 1.2 first opens and closes
// a connection to see whether X is there, then opens the ones it keeps. When that first one
// was the server's only client, an X server that resets as its last client leaves (Xvfb does
// unless started with -noreset) closes SDL's next connection before its setup reply: SDL
// reports "Couldn't open X11 display", and a retry repeats the same race. While we hold a
// connection the server has a client and does not reset. Without X there is nothing to hold.
class XServerHold {
#if GEMLETS_HOLD_X_SERVER
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection_{
        xcb_connect(nullptr, nullptr), &xcb_disconnect};
#endif
};

// One SDL_Init; an empty text on success, otherwise what failed.
std::string initOnce() {
    [[maybe_unused]] const XServerHold hold;
    const QuietStream quietOutput(stdout, STDOUT_FILENO);
    const QuietStream quietError(stderr, STDERR_FILENO);
    if (SDL_Init(SDL_INIT_EVERYTHING) != 0) {
        std::string failure = sdlFailure("SDL_Init");
        SDL_Quit();
        return failure;
    }
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    if (keepsVideoDriver(driver, std::getenv("SDL_VIDEODRIVER")))
        return "";
    SDL_Quit();
    return std::string("SDL_Init: no display could be opened: SDL fell back to its \"") + driver +
           "\" video driver, which shows nothing";
}

} // namespace

SdlSession::SdlSession(bool sound) {
    // Classic SDL's fallback without a display, libcaca, draws through ncurses, which ends the
    // process with its own message where it does not know the terminal (TERM unset, say).
    // libcaca's null output touches no terminal; the fallback is then refused with our message.
    if (!keepsVideoDriver("caca", std::getenv("SDL_VIDEODRIVER")))
        setenv("CACA_DRIVER", "null", 0);
    // SDL_INIT_EVERYTHING starts SDL's audio, which looks for a sound system; a game without
    // sound has SDL's silent driver instead, unless SDL_AUDIODRIVER names another.
    if (!sound)
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    preferGameControllers();
    for (int attempt = 1;; ++attempt) {
        const std::string failure = initOnce();
        if (failure.empty())
            break;
        if (attempt == initAttempts)
            throw StartupError(failure + " (tried " + std::to_string(attempt) + " times)");
        SDL_Delay(retryDelayMilliseconds * static_cast<Uint32>(attempt));
    }
    if (TTF_Init() != 0) {
        const std::string failure = sdlFailure("TTF_Init");
        SDL_Quit();
        throw StartupError(failure);
    }
    ignoreUnusedEvents({SDL_ACTIVEEVENT});
}

SdlSession::~SdlSession() {
    TTF_Quit();
    SDL_Quit();
}

bool openSound(SoundPlayer& player) {
    const QuietStream quietOutput(stdout, STDOUT_FILENO);
    const QuietStream quietError(stderr, STDERR_FILENO);
    return player.open();
}

} // namespace gemlets

// SPDX-License-Identifier: MIT
// The browser's entry: the desktop's start-up from the files the page preloaded, then one
// main-loop iteration per display refresh. Every SDL call stays on the page's thread; the
// drop task runs on a worker as a thread of its own.
#include "model/game.h"
#include "model/random_colours.h"
#include "play/drop_task.h"
#include "play/start_seed.h"
#include "sdl/main_loop.h"
#include "sdl/rendering.h"
#include "sdl/start_up.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <emscripten.h>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace gemlets {

namespace {

// Tells the page that the run has ended, so that it can offer a new game.
EM_JS(void, tellPageGameEnded, (), { Module["onGameEnded"](); });

std::runtime_error failure(const std::string& what) {
    return std::runtime_error(what + ": " + SDL_GetError());
}

// What the game never acts on stays out of SDL's queue, so that a key press never waits
// behind it (one event is taken per iteration).
void ignoreUnusedEvents() {
    for (const Uint32 type :
         {SDL_KEYUP, SDL_TEXTINPUT, SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP,
          SDL_MOUSEWHEEL, SDL_FINGERDOWN, SDL_FINGERUP, SDL_FINGERMOTION, SDL_JOYAXISMOTION,
          SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_JOYBUTTONUP, SDL_WINDOWEVENT})
        SDL_EventState(type, SDL_IGNORE);
}

SDL_Surface* openWindow() {
    SDL_Surface* surface =
        SDL_SetVideoMode(windowWidth, windowHeight, windowBitsPerPixel, SDL_SWSURFACE);
    if (surface == nullptr)
        throw failure(videoModeCall());
    return surface;
}

// The images are preloaded at the top folder; the field file is read from the working folder,
// which the page moves for a field given in the address.
SurfacePtr loadImage(const std::filesystem::path& file) {
    SurfacePtr image(IMG_Load(("/" / file).c_str()));
    if (!image)
        throw failure(file.string() + ": IMG_Load");
    return image;
}

struct Run {
    Game game;
    Screen screen;
    RandomGenerator random{startSeed(SDL_GetTicks())};
    DropTask dropTask{game};
    MainLoop loop{game, dropTask, screen, random};
};

std::unique_ptr<Run> run;

// SDL and the font, then the desktop's start-up steps with the browser's window and images.
void startRun(Run& r) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        throw failure("SDL_Init");
    if (TTF_Init() != 0)
        throw failure("TTF_Init");
    ignoreUnusedEvents();
    // The page registers the font's file under this name; the canvas draws text with it.
    r.screen.font.reset(TTF_OpenFont(fontFile, fontPointSize));
    startUp(r.game, r.screen, r.dropTask, {openWindow, loadImage});
}

void iterate() {
    if (runIteration(run->loop))
        return;
    emscripten_cancel_main_loop();
    run->dropTask.stop();
    tellPageGameEnded();
}

} // namespace

} // namespace gemlets

// A hidden page pauses the game as P does; it stays paused until the player resumes.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsPause() {
    using namespace gemlets;
    if (!run)
        return;
    State expected = State::unpause;
    if (run->game.state.compare_exchange_strong(expected, State::pause))
        run->dropTask.wake();
}

// One iteration on demand, so that bench/web_bench.py can time it in the page.
extern "C" EMSCRIPTEN_KEEPALIVE void gemletsStep() {
    if (gemlets::run && gemlets::run->game.run)
        gemlets::iterate();
}

int main() {
    try {
        gemlets::run = std::make_unique<gemlets::Run>();
        gemlets::startRun(*gemlets::run);
    } catch (const std::exception& error) {
        std::cerr << "gemlets: " << error.what() << std::endl;
        gemlets::run.reset();
        return 1;
    }
    // 0: at the display's refresh; the call returns, the run lives on in `run`.
    emscripten_set_main_loop(gemlets::iterate, 0, false);
    return 0;
}

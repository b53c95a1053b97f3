// SPDX-License-Identifier: MIT
// The browser's entry: the desktop's start-up from the files the page preloaded, then one
// main-loop iteration per display refresh. Every SDL call stays on the page's thread; the
// drop task runs on a worker as a thread of its own.
#include "frame/main_loop.h"
#include "frame/rendering.h"
#include "frame/resources.h"
#include "frame/start_up.h"
#include "model/game.h"
#include "model/random_colours.h"
#include "play/drop_task.h"
#include "play/start_seed.h"

#include <SDL.h>
#include <emscripten.h>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>

namespace gemlets {

namespace {

// Tells the page that the run has ended, so that it can offer a new game.
EM_JS(void, tellPageGameEnded, (), { Module["onGameEnded"](); });

// The images are preloaded at the top folder; the field file is read from the working folder,
// which the page moves for a field given in the address.
SurfacePtr loadPreloadedImage(const std::filesystem::path& file) {
    return openImage("/" / file);
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
        throw StartupError(sdlFailure("SDL_Init"));
    if (TTF_Init() != 0)
        throw StartupError(sdlFailure("TTF_Init"));
    // Emscripten's SDL also has text input, the wheel, touches and window events.
    ignoreUnusedEvents({SDL_TEXTINPUT, SDL_MOUSEWHEEL, SDL_FINGERDOWN, SDL_FINGERUP,
                        SDL_FINGERMOTION, SDL_WINDOWEVENT});
    // The page registers the font's file under this name; the canvas draws text with it.
    r.screen.font = openFont(fontFile);
    startUp(r.game, r.screen, r.dropTask, {openWindow, loadPreloadedImage});
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

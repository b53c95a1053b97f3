// SPDX-License-Identifier: MIT
// The gemlets executable: start-up, the main loop and shutdown. Every SDL call stays on
// this thread; the drop task touches only the game.
#include "desktop/desktop_resources.h"
#include "desktop/sdl_session.h"
#include "frame/main_loop.h"
#include "frame/rendering.h"
#include "frame/start_up.h"
#include "model/game.h"
#include "model/random_colours.h"
#include "play/drop_task.h"
#include "play/options.h"
#include "play/start_seed.h"
#include "play/stop_signals.h"

#include <SDL.h>
#include <algorithm>
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

namespace gemlets {

namespace {

int play(const Options& options) {
    // Declared in this order so that they end in reverse: the drop task is joined before
    // the surfaces and the font go, and those before SDL itself.
    Game game{std::cout};
    SdlSession session;
    Screen screen;
    screen.font = openFont(fontFile);
    const JoystickPtr joystick = options.joystick ? openJoystick() : nullptr;
    RandomGenerator random(startSeed(SDL_GetTicks()));
    DropTask dropTask(game);
    startUp(game, screen, dropTask, {openWindow, loadImage});

    MainLoop loop{game, dropTask, screen, random};
    loop.frameRate = options.frameRate;
    loop.pad = padOf(joystick.get());
    mainLoop(loop);
    dropTask.stop();
    return 0;
}

} // namespace

} // namespace gemlets

int main(int argc, char** argv) {
    using gemlets::Launch;
    // Before anything starts, so that a refused command line leaves nothing to undo.
    const std::vector<std::string_view> args(argv + std::min(argc, 1), argv + argc);
    const gemlets::Options options = gemlets::parseOptions(args);
    switch (options.launch) {
    case Launch::help:
        std::cout << gemlets::usage();
        return 0;
    case Launch::version:
        std::cout << gemlets::versionLine() << '\n';
        return 0;
    case Launch::refuse:
        std::cerr << "gemlets: " << options.error << '\n' << gemlets::usage();
        return 2;
    case Launch::play:
        break;
    }
    // Before SDL_Init, which keeps a handler it finds in place instead of its own.
    gemlets::installStopSignalHandlers();
    try {
        return gemlets::play(options);
    } catch (const std::exception& error) {
        std::cerr << "gemlets: " << error.what() << '\n';
        return 1;
    }
}

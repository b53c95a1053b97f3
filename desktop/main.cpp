// SPDX-License-Identifier: MIT
// The gemlets executable: start-up, the main loop and shutdown. Every SDL call stays on
// this thread; the drop task touches only the game.
#include "desktop/desktop_resources.h"
#include "desktop/display.h"
#include "desktop/joystick.h"
#include "desktop/sdl_session.h"
#include "frontend/main_loop.h"
#include "frontend/rendering.h"
#include "frontend/sound_player.h"
#include "frontend/start_up.h"
#include "frontend/watch.h"
#include "model/game.h"
#include "model/random_colours.h"
#include "play/drop_task.h"
#include "play/game_events.h"
#include "play/options.h"
#include "play/replay.h"
#include "play/start_seed.h"
#include "play/stop_signals.h"

#include <SDL.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace gemlets {

namespace {

// The window's scale on this screen, said on standard error when it is not the one asked for.
int scaleFor(const Options& options, Size desktop) {
    const ScaleChoice choice =
        chooseScale(options.scale, desktop.w, desktop.h, windowWidth, windowHeight);
    if (!choice.note.empty())
        std::cerr << "gemlets: " << choice.note << '\n';
    return choice.scale;
}

// The window of the options, on the screen as SDL finds it before any window opens.
struct Window {
    Window(Screen& screen, const Options& options)
        : desktop(desktopSize()), display(screen, scaleFor(options, desktop), options.fullscreen,
                                          desktop, options.resizable) {}

    Platform platform() {
        return {[this] { return display.open(); }, loadImage};
    }
    std::function<bool(const SDL_Event&)> events() {
        return [this](const SDL_Event& event) {
            return display.handleEvent(event);
        };
    }

    Size desktop;
    Display display;
};

// The game's sounds, read before anything else starts and heard from its events, unless the
// command line asked for none; a game without a sound device plays in silence.
std::unique_ptr<SoundPlayer> openSounds(const Options& options, Game& game) {
    if (!options.sound)
        return nullptr;
    auto sound = std::make_unique<SoundPlayer>();
    openSound(*sound);
    sound->listen(game);
    return sound;
}

// What playing and watching both hold, declared so that they end in reverse: the window, the
// joystick, the sounds, the surfaces and the font before SDL itself, and the game last.
struct Desktop {
    explicit Desktop(const Options& options) : session(options.sound) {
        screen.font = openFont(fontFile);
        sound = openSounds(options, game);
        if (options.joystick)
            joystick = openJoystick();
        window.emplace(screen, options);
    }

    Game game{std::cout};
    SdlSession session;
    Screen screen;
    std::unique_ptr<SoundPlayer> sound;
    Joystick joystick;
    std::optional<Window> window;
};

int play(const Options& options) {
    // The drop task is joined before the recorder goes, and both before the desktop's part.
    Desktop desktop(options);
    Game& game = desktop.game;
    const std::uint32_t seed = startSeed(SDL_GetTicks());
    RandomGenerator random(seed);
    std::ofstream recordFile;
    std::optional<Recorder> recorder;
    std::optional<Watching> watching;
    if (!options.record.empty()) {
        recordFile.open(options.record, std::ios::binary | std::ios::trunc);
        if (!recordFile)
            throw std::runtime_error(options.record +
                                     ": cannot be written: " + std::strerror(errno));
        recorder.emplace(recordFile, seed);
        watching.emplace(game, *recorder);
    }
    DropTask dropTask(game);
    try {
        startUp(game, desktop.screen, dropTask, desktop.window->platform());
    } catch (const std::exception&) {
        // A game that never started leaves no replay behind.
        if (recorder) {
            dropTask.stop();
            recordFile.close();
            std::filesystem::remove(options.record);
        }
        throw;
    }

    MainLoop loop{game, dropTask, desktop.screen, random};
    loop.frameRate = options.frameRate;
    loop.pad = desktop.joystick.pad;
    loop.windowEvent = desktop.window->events();
    loop.sound = desktop.sound.get();
    mainLoop(loop);
    dropTask.stop();
    if (recorder)
        recorder->finish();
    return 0;
}

int watch(const Options& options) {
    const Replay replay = readReplay(options.replay);
    if (const int status = playUnseen(replay, std::cerr); status != 0)
        return status;
    Desktop desktop(options);
    openScreen(desktop.screen, desktop.window->platform());
    ReplayPlayer player(replay, desktop.game);
    WatchLoop loop{.screen = desktop.screen,
                   .game = desktop.game,
                   .player = player,
                   .pad = desktop.joystick.pad,
                   .sound = desktop.sound.get(),
                   .windowEvent = desktop.window->events()};
    watchReplay(loop);
    std::cout << std::flush;
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
    case Launch::check:
        return gemlets::checkReplay(options.replay, std::cout, std::cerr);
    case Launch::play:
    case Launch::watch:
        break;
    }
    // Before SDL_Init, which keeps a handler it finds in place instead of its own.
    gemlets::installStopSignalHandlers();
    try {
        return options.launch == Launch::watch ? gemlets::watch(options) : gemlets::play(options);
    } catch (const gemlets::ReplayError& error) {
        std::cerr << "gemlets: " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "gemlets: " << error.what() << '\n';
        return 1;
    }
}

// SPDX-License-Identifier: MIT
#include "frontend/watch.h"

#include "frontend/keys.h"
#include "play/commands.h"
#include "play/stop_signals.h"

#include <chrono>
#include <thread>

namespace gemlets {

namespace {

// About a frame of a 100 Hz display: the replay's events are shown within that of their time.
constexpr std::chrono::milliseconds watchFrame{10};

} // namespace

WatchKey watchKeyFor(const SDL_Event& event, Pad pad) {
    std::optional<Command> command;
    if (event.type == SDL_KEYDOWN) {
        if (const std::optional<Key> key = keyForSymbol(event.key.keysym.sym))
            command = commandForKey(*key);
    } else if (event.type == SDL_JOYBUTTONDOWN) {
        command = commandForButton(pad, static_cast<int>(event.jbutton.button));
    }
    if (command == Command::togglePause)
        return WatchKey::pause;
    if (command == Command::quit)
        return WatchKey::stop;
    return WatchKey::none;
}

void watchReplay(Screen& screen, Game& game, ReplayPlayer& player, Pad pad) {
    using Clock = std::chrono::steady_clock;
    // The replay's clock: the time watched, which stands still while the watching is paused.
    Clock::duration watched{};
    Clock::time_point last = Clock::now();
    bool paused = false;
    while (player.verdict() == ReplayPlayer::Verdict::playing && !stopSignalReceived()) {
        SDL_Event event;
        while (SDL_PollEvent(&event) == 1) {
            const WatchKey key = watchKeyFor(event, pad);
            if (key == WatchKey::stop)
                return;
            paused ^= key == WatchKey::pause;
            if (event.type == SDL_VIDEOEXPOSE)
                showWholeWindowNext(screen);
        }
        const Clock::time_point now = Clock::now();
        if (!paused)
            watched += now - last;
        last = now;
        player.playUntil(static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(watched).count()));
        game.out.flush();
        frameStep(screen, game, false);
        std::this_thread::sleep_until(now + watchFrame);
    }
}

} // namespace gemlets

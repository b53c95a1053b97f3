// SPDX-License-Identifier: MIT
#include "frontend/watch.h"

#include "frontend/keys.h"
#include "frontend/sound_player.h"
#include "play/commands.h"
#include "play/stop_signals.h"

#include <thread>

namespace gemlets {

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

bool runWatchIteration(WatchLoop& loop, WatchLoop::Clock::time_point now) {
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        if (loop.windowEvent && loop.windowEvent(event))
            continue;
        const WatchKey key = watchKeyFor(event, loop.pad);
        if (key == WatchKey::stop)
            return false;
        loop.paused ^= key == WatchKey::pause;
        if (event.type == SDL_VIDEOEXPOSE)
            showWholeWindowNext(loop.screen);
    }
    if (loop.last && !loop.paused)
        loop.watched += now - *loop.last;
    loop.last = now;
    const ReplayPlayer::Verdict verdict = loop.player.playUntil(static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(loop.watched).count()));
    loop.game.out.flush();
    if (loop.sound != nullptr)
        loop.sound->play(now);
    frameStep(loop.screen, loop.game, false);
    return verdict == ReplayPlayer::Verdict::playing;
}

void watchReplay(WatchLoop& loop) {
    constexpr std::chrono::milliseconds frame{10};
    while (!stopSignalReceived()) {
        const WatchLoop::Clock::time_point now = WatchLoop::Clock::now();
        if (!runWatchIteration(loop, now))
            return;
        std::this_thread::sleep_until(now + frame);
    }
}

} // namespace gemlets

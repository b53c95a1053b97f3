// SPDX-License-Identifier: MIT
#include "frontend/main_loop.h"

#include "frontend/hat.h"
#include "frontend/keys.h"
#include "frontend/sound_player.h"
#include "play/commands.h"
#include "play/frame_pacer.h"
#include "play/turn_step.h"

#include <optional>
#include <thread>

namespace gemlets {

void handleEvent(MainLoop& loop, const SDL_Event& event) {
    if (loop.windowEvent && loop.windowEvent(event))
        return;
    switch (event.type) {
    case SDL_JOYBUTTONDOWN:
        pressButton(loop.game, loop.dropTask, event.jbutton.button, loop.pad);
        break;
    case SDL_JOYHATMOTION:
        // A pad's d-pad; a diagonal or its return to the middle does nothing.
        if (const std::optional<PadButton> button = padButtonForHat(event.jhat.value))
            pressPad(loop.game, loop.dropTask, *button);
        break;
    case SDL_KEYDOWN:
        if (const std::optional<Key> key = keyForSymbol(event.key.keysym.sym))
            pressKey(loop.game, loop.dropTask, *key);
        break;
    case SDL_VIDEOEXPOSE:
        showWholeWindowNext(loop.screen);
        break;
    default:
        break;
    }
}

bool runIteration(MainLoop& loop) {
    if (!loop.game.run)
        return false;
    SDL_Event event{};
    if (loop.stopRequested())
        applyCommand(loop.game, loop.dropTask, Command::quit);
    else if (SDL_PollEvent(&event) == 1)
        handleEvent(loop, event);
    frameStep(loop.screen, loop.game);
    turnStep(loop.game, loop.random);
    if (loop.sound != nullptr)
        loop.sound->play();
    return true;
}

void mainLoop(MainLoop& loop) {
    if (loop.frameRate == 0) {
        while (runIteration(loop)) {
        }
        return;
    }
    FramePacer pacer(loop.frameRate, FramePacer::Clock::now());
    while (runIteration(loop)) {
        const FramePacer::Clock::time_point next = pacer.nextStart(FramePacer::Clock::now());
        // After a quit the loop ends at once instead of waiting out the frame.
        if (loop.game.run)
            std::this_thread::sleep_until(next);
    }
}

} // namespace gemlets

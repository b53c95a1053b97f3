// SPDX-License-Identifier: MIT
#include "frontend/main_loop.h"

#include "frontend/keys.h"
#include "play/commands.h"
#include "play/frame_pacer.h"
#include "play/turn_step.h"

#include <array>
#include <thread>
#include <utility>

namespace gemlets {

namespace {

constexpr std::array<std::pair<Uint8, PadButton>, 4> hatDirections{{
    {SDL_HAT_UP, PadButton::dpadUp},
    {SDL_HAT_DOWN, PadButton::dpadDown},
    {SDL_HAT_LEFT, PadButton::dpadLeft},
    {SDL_HAT_RIGHT, PadButton::dpadRight},
}};

} // namespace

void handleEvent(MainLoop& loop, const SDL_Event& event) {
    switch (event.type) {
    case SDL_JOYBUTTONDOWN:
        pressButton(loop.game, loop.dropTask, event.jbutton.button, loop.pad);
        break;
    case SDL_JOYHATMOTION:
        // A pad's d-pad; a diagonal or its return to the middle does nothing.
        for (const auto& [value, button] : hatDirections) {
            if (event.jhat.value == value)
                pressPad(loop.game, loop.dropTask, button);
        }
        break;
    case SDL_KEYDOWN:
        if (const std::optional<Key> key = keyFor(event.key.keysym.sym))
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

// SPDX-License-Identifier: MIT
#include "play/commands.h"

#include "play/game_events.h"

namespace gemlets {

void togglePause(Game& game) {
    // Compare-and-swap, so that a `newGemlets` set by the drop task in between is never
    // overwritten with `pause`.
    State expected = State::unpause;
    if (!game.state.compare_exchange_strong(expected, State::pause)) {
        expected = State::pause;
        game.state.compare_exchange_strong(expected, State::unpause);
    }
}

void quit(Game& game) {
    game.run = false;
}

void applyCommand(Game& game, DropTask& dropTask, Command command) {
    enterGame(game, inputEvent(Source::signal, std::nullopt, command));
    // A pause toggle, a sideways move (which ends a pause) or quit: the task looks again now.
    dropTask.wake();
}

void pressButton(Game& game, DropTask& dropTask, int button, Pad pad) {
    // A pad's button is recorded as the button it is; the GP2X's by its number alone.
    const std::optional<PadButton> padButton = padButtonFor(pad, button);
    enterGame(game, padButton ? padEvent(*padButton, button, commandForPad(*padButton))
                              : inputEvent(Source::button, button, commandForButton(pad, button)));
    dropTask.wake();
    // Flushed so that a watcher of standard output sees each press as it happens.
    game.out.flush();
}

void pressPad(Game& game, DropTask& dropTask, PadButton button) {
    if (const std::optional<Command> command = commandForPad(button)) {
        enterGame(game, padEvent(button, std::nullopt, command));
        dropTask.wake();
    }
}

void pressKey(Game& game, DropTask& dropTask, Key key) {
    const std::optional<Command> command = commandForKey(key);
    if (!command)
        return;
    enterGame(game, inputEvent(Source::key, static_cast<int>(key), command));
    dropTask.wake();
}

} // namespace gemlets

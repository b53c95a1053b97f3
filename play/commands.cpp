// SPDX-License-Identifier: MIT
#include "play/commands.h"

#include "model/gravity.h"
#include "model/movement.h"

#include <ostream>

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
    switch (command) {
    case Command::moveLeft: {
        // The move reads the field and shifts the pair; with the field update after it, no
        // drop step may come in between.
        std::scoped_lock lock(game.lock);
        moveToLeft(game, *game.first, *game.second);
        gemletsToField(game);
        break;
    }
    case Command::moveRight: {
        std::scoped_lock lock(game.lock); // the move with its field update
        moveToRight(game, *game.first, *game.second);
        gemletsToField(game);
        break;
    }
    case Command::rotate: {
        std::scoped_lock lock(game.lock); // the rotation with its field update
        rotateStones(game, *game.first, *game.second);
        gemletsToField(game);
        break;
    }
    case Command::dropOne: {
        std::scoped_lock lock(game.lock); // the player's drop step
        dropGemlets(game);
        break;
    }
    case Command::hardDrop: {
        std::scoped_lock lock(game.lock); // the whole hard drop
        dropThemDown(game);
        break;
    }
    case Command::togglePause:
        togglePause(game);
        break;
    case Command::quit:
        quit(game);
        break;
    }
    // A pause toggle, a sideways move (which ends a pause) or quit: the task looks again now.
    dropTask.wake();
}

std::optional<Command> commandForKey(Key key) {
    for (const Control& control : controls) {
        if (control.key == key)
            return control.command;
    }
    return std::nullopt;
}

std::optional<Command> commandForPad(PadButton button) {
    for (const Control& control : controls) {
        if (control.pad == button && button != PadButton::end)
            return control.command;
    }
    return std::nullopt;
}

std::optional<Command> commandForButton(Pad pad, int button) {
    if (pad == Pad::standard) {
        if (button < 0 || static_cast<std::size_t>(button) >= padOrder.size())
            return std::nullopt;
        return commandForPad(padOrder[static_cast<std::size_t>(button)]);
    }
    for (const Control& control : controls) {
        if (control.gp2x == button && button >= 0)
            return control.command;
    }
    return std::nullopt;
}

void pressButton(Game& game, DropTask& dropTask, int button, Pad pad) {
    // Flushed so that a watcher of standard output sees each press as it happens.
    game.out << "\nbutton  " << button << " pressed\n" << std::flush;
    if (const std::optional<Command> command = commandForButton(pad, button))
        applyCommand(game, dropTask, *command);
}

void pressPad(Game& game, DropTask& dropTask, PadButton button) {
    if (const std::optional<Command> command = commandForPad(button))
        applyCommand(game, dropTask, *command);
}

void pressKey(Game& game, DropTask& dropTask, Key key) {
    if (const std::optional<Command> command = commandForKey(key))
        applyCommand(game, dropTask, *command);
}

} // namespace gemlets

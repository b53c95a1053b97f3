// SPDX-License-Identifier: MIT
#include "play/game_events.h"

#include "model/game_start.h"
#include "model/gravity.h"
#include "model/movement.h"
#include "model/turn.h"

#include <mutex>
#include <vector>

namespace gemlets {

namespace {

// What game.watchers holds, in the order they came.
using Watchers = std::vector<GameWatcher*>;

// Under the caller's lock as a whole: a move or a turn with the field update after it, which
// the next move reads, and the whole hard drop; no drop step comes in between.
void act(Game& game, Command command) {
    switch (command) {
    case Command::moveLeft:
        moveToLeft(game, *game.first, *game.second);
        gemletsToField(game);
        break;
    case Command::moveRight:
        moveToRight(game, *game.first, *game.second);
        gemletsToField(game);
        break;
    case Command::rotate:
        rotateStones(game, *game.first, *game.second);
        gemletsToField(game);
        break;
    case Command::dropOne:
        dropGemlets(game);
        break;
    case Command::hardDrop:
        dropThemDown(game);
        break;
    case Command::togglePause:
        togglePause(game);
        break;
    case Command::quit:
        quit(game);
        break;
    case Command::end: // counts the commands; no command
        break;
    }
}

bool change(Game& game, const Event& event, RandomGenerator* random) {
    switch (event.kind) {
    case EventKind::input:
        // A joystick button's line, the GP2X's or a pad's; a key, a hat or a signal writes none.
        if (event.source != Source::key && event.code)
            game.out << "\nbutton  " << *event.code << " pressed\n";
        if (event.command)
            act(game, *event.command);
        return true;
    case EventKind::drop: {
        // Only from `unpause`: a player's pause or a game over is never overwritten; a paused
        // landing is announced by the first step after the player resumes.
        State expected = State::unpause;
        if (dropGemlets(game) == 0)
            game.state.compare_exchange_strong(expected, State::newGemlets);
        return true;
    }
    case EventKind::turn:
        if (game.state != State::newGemlets)
            return false;
        newTurn(game, *random);
        return true;
    case EventKind::frame: {
        const Field before = game.field;
        gemletsToField(game);
        return game.field != before;
    }
    case EventKind::hidden: {
        State unpaused = State::unpause;
        return game.state.compare_exchange_strong(unpaused, State::pause);
    }
    case EventKind::load:
        placeField(game, event.cells, event.name);
        return true;
    }
    return false;
}

} // namespace

Event eventOf(EventKind kind) {
    Event event;
    event.kind = kind;
    return event;
}

Event inputEvent(Source source, std::optional<int> code, std::optional<Command> command) {
    Event event = eventOf(EventKind::input);
    event.source = source;
    event.code = code;
    event.command = command;
    return event;
}

Event padEvent(PadButton button, std::optional<int> code, std::optional<Command> command) {
    Event event = inputEvent(Source::pad, code, command);
    event.padButton = button;
    return event;
}

Event loadEvent(Field cells, std::string name) {
    Event event = eventOf(EventKind::load);
    event.cells = std::move(cells);
    event.name = std::move(name);
    return event;
}

bool enterGameLocked(Game& game, const Event& event, RandomGenerator* random) {
    if (!change(game, event, random))
        return false;
    if (const Watchers* watchers = std::any_cast<Watchers>(&game.watchers)) {
        for (GameWatcher* watcher : *watchers)
            watcher->entered(event, game);
    }
    return true;
}

bool enterGame(Game& game, const Event& event, RandomGenerator* random) {
    std::scoped_lock lock(game.lock);
    return enterGameLocked(game, event, random);
}

void watchGame(Game& game, GameWatcher& watcher) {
    // Between two events, whichever thread enters them.
    std::scoped_lock lock(game.lock);
    if (!game.watchers.has_value())
        game.watchers = Watchers{};
    std::any_cast<Watchers&>(game.watchers).push_back(&watcher);
}

void unwatchGame(Game& game, GameWatcher& watcher) {
    std::scoped_lock lock(game.lock);
    if (Watchers* watchers = std::any_cast<Watchers>(&game.watchers))
        std::erase(*watchers, &watcher);
}

} // namespace gemlets

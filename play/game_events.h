// SPDX-License-Identifier: MIT
// The one door into a game: every input, drop step, turn step, frame's field update and the
// starting field enter here, under the game-state lock. A replay recorder watching the door
// sees the events in the order they took the lock, and a replay plays them back through it.
#pragma once

#include "model/game.h"
#include "model/random_colours.h"
#include "play/commands.h"

#include <optional>
#include <string>

namespace gemlets {

enum class EventKind {
    input,  // a key, a joystick button, a pad's button or hat, or a stop signal, with its command
    drop,   // a step of the drop task
    turn,   // a turn step that found everything landed: game over or the next pair
    frame,  // a frame step's field update that changed the field
    hidden, // the page was hidden: `unpause` became `pause`
    load,   // the starting field placed under the first pair
};

// Where an input came from: a key; a joystick button that is no pad button (the GP2X's, or a
// pad's past the buttons it names); a standard pad's button or hat; a stop signal.
enum class Source { key, button, pad, signal };

struct Event {
    EventKind kind = EventKind::drop;
    // Inputs only: where it came from; its number, a Key's or SDL's for a joystick button
    // (none for a hat or a signal); the pad's button it is; and the command it made.
    Source source = Source::signal;
    std::optional<int> code;
    std::optional<PadButton> padButton;
    std::optional<Command> command;
    // The load only: the cells, and the name that a refusal names.
    Field cells;
    std::string name;
};

// An event of a kind that carries nothing more: drop, turn, frame, hidden.
Event eventOf(EventKind kind);
Event inputEvent(Source source, std::optional<int> code, std::optional<Command> command);
// A pad's button (SDL's number) or its hat (no number).
Event padEvent(PadButton button, std::optional<int> code, std::optional<Command> command);
Event loadEvent(Field cells, std::string name);

// Applies the event to the game; the caller holds the lock. False when it changed nothing
// and so is no event: a turn step with nothing landed, a frame step whose field was up to
// date, a hidden page while not `unpause`. A joystick button writes its line to game.out
// first. A turn needs the colours' generator. A load throws FieldFileError as placeField does,
// with the game untouched. Every watcher of the game is told of every event that changed it.
bool enterGameLocked(Game& game, const Event& event, RandomGenerator* random = nullptr);

// The same, taking the lock.
bool enterGame(Game& game, const Event& event, RandomGenerator* random = nullptr);

class GameWatcher {
public:
    virtual ~GameWatcher() = default;
    // Under the lock, just after the event changed the game; it must not watch or unwatch.
    virtual void entered(const Event& event, const Game& game) = 0;
};

// From now on the watcher is told of every event that changes `game`, after the watchers
// that came before it, until unwatchGame. Each takes the game's lock.
void watchGame(Game& game, GameWatcher& watcher);
void unwatchGame(Game& game, GameWatcher& watcher);

// watchGame for the life of the object.
class Watching {
public:
    Watching(Game& game, GameWatcher& watcher) : game_(game), watcher_(watcher) {
        watchGame(game, watcher);
    }
    ~Watching() { unwatchGame(game_, watcher_); }
    Watching(const Watching&) = delete;
    Watching& operator=(const Watching&) = delete;

private:
    Game& game_;
    GameWatcher& watcher_;
};

} // namespace gemlets

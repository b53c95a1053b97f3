// SPDX-License-Identifier: MIT
// The replay file's text both ways: one table of the entries a file holds, each a name and
// its fields, through which the recorder writes and the reader reads, so that the two cannot
// part (the format: play/replay-format.md).
#pragma once

#include "model/game.h"
#include "play/game_events.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gemlets {

// The version the recorder writes; a reader reads it and every one before it.
inline constexpr int replayFormatVersion = 2;

// What a reader takes, far beyond what any game makes, so that a file made to hold up a check
// or a watch (a replay comes from anyone) is refused before anything plays.
// A time is at most a week of milliseconds: a game left paused for days still checks, and the
// bound fits a 32-bit long.
inline constexpr long replayMaxTime = 7L * 24 * 60 * 60 * 1000;
// A game writes a few events a second; a million is days of play.
inline constexpr std::size_t replayMaxEvents = 1'000'000;
// Drop steps in one millisecond: at level 10 the drop task makes them back to back, each
// taking the game's lock and scanning the field, some hundred nanoseconds; ten nanoseconds
// each is beyond any machine.
inline constexpr int replayMaxDropRun = 100'000;
// A file of a million events is well under this.
inline constexpr std::size_t replayMaxBytes = 64 << 20;

// What is wrong with a replay, naming the file and where in it.
class ReplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ReplayEntry {
    long time = 0; // milliseconds since the game started
    Event event;
    std::uint32_t checksum = 0; // a turn's: stateChecksum after it
    int repeat = 1;             // drop steps in a row within one millisecond
    int line = 0;               // where it starts in the file
};

struct Replay {
    std::string name; // the file, for messages
    std::string gameVersion;
    std::uint32_t seed = 0;
    std::vector<ReplayEntry> entries;
    std::optional<long> end; // when the game ended and said so; none when it was killed
};

// What follows an entry's time and name on its line, in the order written.
enum class EntryField {
    key,       // a Key by name (a key added after the names, by its number)
    button,    // SDL's number of a joystick button, 0 to 255
    padButton, // a PadButton by name
    padNumber, // SDL's number of the pad's button, 0 to 255; left out for its hat
    command,   // a Command by name, `-` for none
    count,     // drop steps in a row within one millisecond, from 2; left out for one
    checksum,  // stateChecksum after a turn step, 8 hex digits
    check,     // the hash of every byte of the file before the line, 8 hex digits
};

struct EntryKind {
    std::string_view name;
    std::optional<EventKind> event = std::nullopt; // what it enters; none: the end's
    Source source = Source::signal;                // an input's
    std::initializer_list<EntryField> fields = {};
    bool rows = false; // the starting field's rows follow it, a line each
    int since = 1;     // the format version that brought it
};

inline constexpr std::array<EntryKind, 10> entryKinds{{
    {.name = "key",
     .event = EventKind::input,
     .source = Source::key,
     .fields = {EntryField::key, EntryField::command}},
    {.name = "button",
     .event = EventKind::input,
     .source = Source::button,
     .fields = {EntryField::button, EntryField::command}},
    {.name = "pad",
     .event = EventKind::input,
     .source = Source::pad,
     .fields = {EntryField::padButton, EntryField::padNumber, EntryField::command},
     .since = 2},
    {.name = "signal",
     .event = EventKind::input,
     .source = Source::signal,
     .fields = {EntryField::command}},
    {.name = "drop", .event = EventKind::drop, .fields = {EntryField::count}},
    {.name = "frame", .event = EventKind::frame},
    {.name = "hidden", .event = EventKind::hidden},
    {.name = "load", .event = EventKind::load, .rows = true},
    {.name = "turn", .event = EventKind::turn, .fields = {EntryField::checksum, EntryField::check}},
    {.name = "end", .fields = {EntryField::check}},
}};

// The field, the score and the level in eight hex digits' worth.
std::uint32_t stateChecksum(const Game& game);
// The eight lower-case hex digits that the file writes a checksum as.
std::string hex8(std::uint32_t value);

// The name of the entry that the event is written as.
std::string_view entryName(const Event& event);

// A replay's text as the recorder writes it: the header, then an entry at a time, each turn
// step and the end sealed with the hash of everything before it.
class ReplayWriter {
public:
    explicit ReplayWriter(std::uint32_t seed);
    void add(const ReplayEntry& entry);
    void end(long time);
    const std::string& text() const { return text_; }

private:
    void append(const EntryKind& kind, const ReplayEntry& entry);

    std::string text_;
    std::uint32_t hash_;
};

// Throws ReplayError for text cut short inside an entry, a corrupted or unknown line,
// another format version, a field of another size or a malformed one, a time that goes back,
// or more than the bounds above.
Replay parseReplay(std::string_view text, std::string_view name);

} // namespace gemlets

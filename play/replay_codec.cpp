// SPDX-License-Identifier: MIT
#include "play/replay_codec.h"

#include "model/field_file.h"

#include <algorithm>
#include <charconv>
#include <span>
#include <utility>

namespace gemlets {

namespace {

constexpr std::string_view header = "gemlets replay ";

// True when every value has a word of its own: a value added to its enum without one leaves
// an empty word, which fails the static_assert beside its table.
template <std::size_t N>
constexpr bool namesEachOnce(const std::array<std::string_view, N>& names) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i].empty())
            return false;
        for (std::size_t j = 0; j < i; ++j) {
            if (names[j] == names[i])
                return false;
        }
    }
    return true;
}

// The format's words for the game's names, by each enum's order, which stay as they are
// written in old files.
constexpr std::array<std::string_view, commandCount> commandNames{
    "moveLeft", "moveRight", "rotate", "dropOne", "hardDrop", "togglePause", "quit"};
static_assert(namesEachOnce(commandNames), "every command needs its word in a replay");

constexpr std::array<std::string_view, keyCount> keyNames{"left",  "right", "up",    "down",
                                                          "space", "p",     "escape"};
static_assert(namesEachOnce(keyNames), "every key needs its word in a replay");

constexpr std::array<std::string_view, padButtonCount> padButtonNames{
    {"a", "b", "x", "y", "back", "guide", "start", "leftStick", "rightStick", "leftShoulder",
     "rightShoulder", "dpadUp", "dpadDown", "dpadLeft", "dpadRight"}};
static_assert(namesEachOnce(padButtonNames), "every pad button needs its word in a replay");

// FNV-1a, 32 bits: small, and the same on every platform.
std::uint32_t hashed(std::uint32_t hash, std::string_view text) {
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}
constexpr std::uint32_t hashStart = 2166136261u;

template <class Number> bool readNumber(std::string_view text, Number& value, int base = 10) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc{} && end == text.data() + text.size() && !text.empty();
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t at = 0;
    while (at <= line.size()) {
        const std::size_t blank = std::min(line.find(' ', at), line.size());
        result.push_back(line.substr(at, blank - at));
        at = blank + 1;
    }
    return result;
}

// Reads the replay's lines one by one, keeping the hash of everything before the current one.
class Reader {
public:
    Reader(std::string_view text, std::string_view name) : text_(text), name_(name) {}

    bool atEnd() const { return at_ == text_.size(); }
    int lineNumber() const { return number_; }
    std::uint32_t hashBefore() const { return hashBefore_; }

    std::string_view next(const char* expected) {
        ++number_;
        if (atEnd())
            fail("the file ends where " + std::string(expected) + " belongs");
        const std::size_t end = text_.find('\n', at_);
        if (end == std::string_view::npos)
            fail("the file is cut short inside this line");
        const std::string_view line = text_.substr(at_, end - at_);
        hashBefore_ = hash_;
        hash_ = hashed(hash_, text_.substr(at_, end + 1 - at_));
        at_ = end + 1;
        return line;
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw ReplayError(name_ + ": line " + std::to_string(number_) + ": " + what);
    }

private:
    std::string_view text_;
    std::string name_;
    std::size_t at_ = 0;
    int number_ = 0;
    std::uint32_t hash_ = hashStart;
    std::uint32_t hashBefore_ = hashStart;
};

// The position of `word` in `names`, if there.
template <std::size_t N>
std::optional<int> named(const std::array<std::string_view, N>& names, std::string_view word) {
    const auto found = std::find(names.begin(), names.end(), word);
    if (found == names.end())
        return std::nullopt;
    return static_cast<int>(found - names.begin());
}

int joystickButton(std::string_view word, const Reader& reader) {
    int number = 0;
    if (!readNumber(word, number) || number < 0 || number > 255)
        reader.fail("a button is a number from 0 to 255, not '" + std::string(word) + "'");
    return number;
}

std::uint32_t hexWord(std::string_view word, const char* what, const Reader& reader) {
    std::uint32_t value = 0;
    if (word.size() != 8 || !readNumber(word, value, 16))
        reader.fail(std::string(what) + " is 8 hex digits, not '" + std::string(word) + "'");
    return value;
}

// A field both ways, side by side: the word it writes ("" for one left out) and reading it.
struct FieldCodec {
    std::string_view usage; // as a refusal shows it
    bool optional = false;  // left out for its default, which a reader then keeps
    std::string (*write)(const ReplayEntry& entry, std::uint32_t check) = nullptr;
    void (*read)(std::string_view word, ReplayEntry& entry, const Reader& reader) = nullptr;
};

constexpr FieldCodec codec(EntryField field) {
    switch (field) {
    case EntryField::key:
        return {"KEY", false,
                [](const ReplayEntry& e, std::uint32_t) {
                    const auto at = static_cast<std::size_t>(*e.event.code);
                    return at < keyNames.size() ? std::string(keyNames[at]) : std::to_string(at);
                },
                [](std::string_view word, ReplayEntry& e, const Reader& reader) {
                    int number = 0;
                    if (const std::optional<int> at = named(keyNames, word))
                        number = *at;
                    else if (!readNumber(word, number) || number < 0 ||
                             number >= static_cast<int>(keyCount))
                        reader.fail("unknown key '" + std::string(word) + "'");
                    e.event.code = number;
                }};
    case EntryField::button:
    case EntryField::padNumber:
        return {field == EntryField::button ? "N" : "[N]", field == EntryField::padNumber,
                [](const ReplayEntry& e, std::uint32_t) {
                    return e.event.code ? std::to_string(*e.event.code) : std::string();
                },
                [](std::string_view word, ReplayEntry& e, const Reader& reader) {
                    e.event.code = joystickButton(word, reader);
                }};
    case EntryField::padButton:
        return {"BUTTON", false,
                [](const ReplayEntry& e, std::uint32_t) {
                    return std::string(
                        padButtonNames[static_cast<std::size_t>(*e.event.padButton)]);
                },
                [](std::string_view word, ReplayEntry& e, const Reader& reader) {
                    const std::optional<int> at = named(padButtonNames, word);
                    if (!at)
                        reader.fail("unknown pad button '" + std::string(word) + "'");
                    e.event.padButton = static_cast<PadButton>(*at);
                }};
    case EntryField::command:
        return {"COMMAND", false,
                [](const ReplayEntry& e, std::uint32_t) {
                    return e.event.command
                               ? std::string(
                                     commandNames[static_cast<std::size_t>(*e.event.command)])
                               : std::string("-");
                },
                [](std::string_view word, ReplayEntry& e, const Reader& reader) {
                    const std::optional<int> at = named(commandNames, word);
                    if (!at && word != "-")
                        reader.fail("unknown command '" + std::string(word) + "'");
                    if (at)
                        e.event.command = static_cast<Command>(*at);
                }};
    case EntryField::count:
        return {"[COUNT]", true,
                [](const ReplayEntry& e, std::uint32_t) {
                    return e.repeat > 1 ? std::to_string(e.repeat) : std::string();
                },
                [](std::string_view word, ReplayEntry& e, const Reader& reader) {
                    if (!readNumber(word, e.repeat) || e.repeat < 2 || e.repeat > replayMaxDropRun)
                        reader.fail("drop steps in a row are counted from 2 to " +
                                    std::to_string(replayMaxDropRun) + ", not '" +
                                    std::string(word) + "'");
                }};
    case EntryField::checksum:
        return {"CHECKSUM", false,
                [](const ReplayEntry& e, std::uint32_t) { return hex8(e.checksum); },
                [](std::string_view word, ReplayEntry& e, const Reader& reader) {
                    e.checksum = hexWord(word, "a checksum", reader);
                }};
    case EntryField::check:
        return {"CHECK", false, [](const ReplayEntry&, std::uint32_t check) { return hex8(check); },
                [](std::string_view word, ReplayEntry&, const Reader& reader) {
                    if (hexWord(word, "the file's check", reader) != reader.hashBefore())
                        reader.fail("the file is corrupted: the text before this line does not "
                                    "match its check");
                }};
    }
    return {};
}

// Each kind's names once, and at most one field left out, so that a line's words say which.
constexpr bool entryKindsAreReadable() {
    for (std::size_t at = 0; at < entryKinds.size(); ++at) {
        const EntryKind& kind = entryKinds[at];
        if (std::count_if(kind.fields.begin(), kind.fields.end(),
                          [](EntryField f) { return codec(f).optional; }) > 1)
            return false;
        for (std::size_t other = 0; other < at; ++other) {
            if (entryKinds[other].name == kind.name)
                return false;
        }
    }
    return true;
}
static_assert(entryKindsAreReadable(), "an entry kind named twice, or with two fields left out");

const EntryKind* kindNamed(std::string_view name) {
    const auto found = std::find_if(entryKinds.begin(), entryKinds.end(),
                                    [name](const EntryKind& kind) { return kind.name == name; });
    return found == entryKinds.end() ? nullptr : &*found;
}

const EntryKind& kindOf(const Event& event) {
    const auto found = std::find_if(entryKinds.begin(), entryKinds.end(), [&](const EntryKind& k) {
        return k.event == event.kind &&
               (event.kind != EventKind::input || k.source == event.source);
    });
    if (found == entryKinds.end())
        throw std::logic_error("a replay has no entry for this event");
    return *found;
}

// 'TIME NAME FIELD...', as a refusal shows it.
std::string usage(const EntryKind& kind) {
    std::string text =
        "'" + std::string(kind.name) + "' is written 'TIME " + std::string(kind.name);
    for (const EntryField field : kind.fields)
        text += ' ' + std::string(codec(field).usage);
    return text + (kind.rows ? "', the starting field's rows after it" : "'");
}

std::string written(const EntryKind& kind, const ReplayEntry& entry, std::uint32_t check) {
    std::string line = std::to_string(entry.time) + ' ' + std::string(kind.name);
    for (const EntryField field : kind.fields) {
        if (const std::string word = codec(field).write(entry, check); !word.empty())
            line += ' ' + word;
    }
    line += '\n';
    return kind.rows ? line + fieldToText(entry.event.cells) : line;
}

void readFields(const Reader& reader, const EntryKind& kind, std::span<const std::string_view> w,
                ReplayEntry& entry) {
    const bool leftOut = w.size() + 1 == kind.fields.size() &&
                         std::any_of(kind.fields.begin(), kind.fields.end(),
                                     [](EntryField f) { return codec(f).optional; });
    if (w.size() != kind.fields.size() && !leftOut)
        reader.fail(usage(kind));
    auto word = w.begin();
    for (const EntryField field : kind.fields) {
        const FieldCodec fieldCodec = codec(field);
        if (!(leftOut && fieldCodec.optional))
            fieldCodec.read(*word++, entry, reader);
    }
}

Field readRows(Reader& reader) {
    std::string text;
    for (int row = 0; row < fieldH; ++row) {
        const std::string_view line = reader.next("a row of the starting field");
        const auto isCell = [](char c) {
            return c == '*' || isColour(c - '0');
        };
        if (line.size() != static_cast<std::size_t>(fieldW) ||
            !std::all_of(line.begin(), line.end(), isCell))
            reader.fail("a row of the starting field is " + std::to_string(fieldW) +
                        " cells of '*' or '0' to '3', not '" + std::string(line) + "'");
        text.append(line).push_back('\n');
    }
    Field cells = emptyField();
    textToField(text, cells, "the replay's starting field"); // every cell checked above
    return cells;
}

} // namespace

std::uint32_t stateChecksum(const Game& game) {
    return hashed(hashStart, fieldToText(game.field) + std::to_string(game.points) + ' ' +
                                 std::to_string(game.level));
}

std::string hex8(std::uint32_t value) {
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = "0123456789abcdef"[value & 15];
    return text;
}

std::string_view entryName(const Event& event) {
    return kindOf(event).name;
}

ReplayWriter::ReplayWriter(std::uint32_t seed) : hash_(hashStart) {
    text_ = std::string(header) + std::to_string(replayFormatVersion) +
            "\ngame " GEMLETS_VERSION "\nfield " + std::to_string(fieldW) + ' ' +
            std::to_string(fieldH) + "\nseed " + std::to_string(seed) + '\n';
    hash_ = hashed(hash_, text_);
}

void ReplayWriter::append(const EntryKind& kind, const ReplayEntry& entry) {
    const std::string text = written(kind, entry, hash_);
    text_ += text;
    hash_ = hashed(hash_, text);
}

void ReplayWriter::add(const ReplayEntry& entry) {
    append(kindOf(entry.event), entry);
}

void ReplayWriter::end(long time) {
    ReplayEntry entry;
    entry.time = time;
    append(*std::find_if(entryKinds.begin(), entryKinds.end(),
                         [](const EntryKind& kind) { return !kind.event; }),
           entry);
}

Replay parseReplay(std::string_view text, std::string_view name) {
    Reader reader(text, name);
    Replay replay;
    replay.name = name;
    const std::string_view first = reader.next("the header");
    if (!first.starts_with(header))
        reader.fail("not a gemlets replay: it must begin with '" + std::string(header) +
                    std::to_string(replayFormatVersion) + "'");
    int version = 0;
    if (!readNumber(first.substr(header.size()), version) || version < 1 ||
        version > replayFormatVersion)
        reader.fail("format version '" + std::string(first.substr(header.size())) +
                    "'; this gemlets reads versions 1 to " + std::to_string(replayFormatVersion));
    const std::string_view game = reader.next("the game's version");
    if (!game.starts_with("game ") || game.size() == 5)
        reader.fail("the second line names the game's version: 'game VERSION'");
    replay.gameVersion = game.substr(5);
    const std::string size = "field " + std::to_string(fieldW) + ' ' + std::to_string(fieldH);
    if (reader.next("the field's size") != size)
        reader.fail("this gemlets plays a field of " + std::to_string(fieldW) + " x " +
                    std::to_string(fieldH) + " cells: the line must be '" + size + "'");
    const std::string_view seed = reader.next("the seed");
    if (!seed.starts_with("seed ") || !readNumber(seed.substr(5), replay.seed))
        reader.fail("the fourth line is 'seed N', N from 0 to 4294967295");

    bool loaded = false;
    while (!reader.atEnd()) {
        if (replay.end) {
            reader.next("nothing");
            reader.fail("text after the end");
        }
        const std::vector<std::string_view> w = words(reader.next("an event"));
        ReplayEntry entry;
        entry.line = reader.lineNumber();
        if (w.size() < 2 || !readNumber(w[0], entry.time) || entry.time < 0 ||
            entry.time > replayMaxTime)
            reader.fail("an event is 'TIME WHAT ...', TIME in milliseconds from 0 to " +
                        std::to_string(replayMaxTime) + " (a week)");
        if (!replay.entries.empty() && entry.time < replay.entries.back().time)
            reader.fail("time goes back, from " + std::to_string(replay.entries.back().time) +
                        " to " + std::to_string(entry.time) + " ms");
        const EntryKind* found = kindNamed(w[1]);
        if (found == nullptr)
            reader.fail("unknown event '" + std::string(w[1]) + "'");
        const EntryKind& kind = *found;
        if (kind.since > version)
            reader.fail("'" + std::string(kind.name) + "' came with format version " +
                        std::to_string(kind.since) + "; this file is version " +
                        std::to_string(version));
        entry.event.source = kind.source;
        readFields(reader, kind, std::span(w).subspan(2), entry);
        if (!kind.event) {
            replay.end = entry.time;
            continue;
        }
        entry.event.kind = *kind.event;
        if (replay.entries.size() == replayMaxEvents)
            reader.fail("more than " + std::to_string(replayMaxEvents) +
                        " events, far more than a game makes");
        if (kind.source == Source::key &&
            entry.event.command != commandForKey(static_cast<Key>(*entry.event.code)))
            reader.fail("the key " + std::string(w[2]) + " does not make " + std::string(w.back()));
        if (kind.rows) {
            if (std::exchange(loaded, true))
                reader.fail("a second starting field");
            entry.event.cells = readRows(reader);
            entry.event.name = name;
        }
        replay.entries.push_back(std::move(entry));
    }
    return replay;
}

} // namespace gemlets

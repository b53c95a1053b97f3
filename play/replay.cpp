// SPDX-License-Identifier: MIT
#include "play/replay.h"

#include "model/field_file.h"
#include "model/game_start.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <mutex>
#include <ostream>
#include <sstream>

namespace gemlets {

namespace {

constexpr std::string_view header = "gemlets replay ";

constexpr std::array<std::string_view, 7> commandNames{
    "moveLeft", "moveRight", "rotate", "dropOne", "hardDrop", "togglePause", "quit"};
static_assert(commandNames.size() == static_cast<std::size_t>(Command::quit) + 1);

// By Key's order; a key added later is written as its number.
constexpr std::array<std::string_view, 7> keyNames{"left",  "right", "up",    "down",
                                                   "space", "p",     "escape"};

// FNV-1a, 32 bits: small, and the same on every platform.
std::uint32_t hashed(std::uint32_t hash, std::string_view text) {
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}
constexpr std::uint32_t hashStart = 2166136261u;

std::string hex8(std::uint32_t value) {
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = "0123456789abcdef"[value & 15];
    return text;
}

std::string describe(const Event& event) {
    const auto commandName = [&] {
        return event.command ? std::string(commandNames[static_cast<std::size_t>(*event.command)])
                             : std::string("-");
    };
    switch (event.kind) {
    case EventKind::input:
        switch (event.source) {
        case Source::key: {
            const auto at = static_cast<std::size_t>(event.code);
            return "key " +
                   (at < keyNames.size() ? std::string(keyNames[at]) : std::to_string(at)) + ' ' +
                   commandName();
        }
        case Source::button:
            return "button " + std::to_string(event.code) + ' ' + commandName();
        case Source::signal:
            return "signal " + commandName();
        }
        break;
    case EventKind::drop:
        return "drop";
    case EventKind::turn:
        return "turn";
    case EventKind::frame:
        return "frame";
    case EventKind::hidden:
        return "hidden";
    case EventKind::load:
        return "load";
    }
    return "?";
}

std::string seconds(long ms) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    return std::to_string(ms / 1000) + '.' + fraction + " s";
}

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
        if (atEnd())
            fail("the file ends where " + std::string(expected) + " belongs");
        const std::size_t end = text_.find('\n', at_);
        ++number_;
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

std::optional<Command> commandNamed(Reader& reader, std::string_view name) {
    if (name == "-")
        return std::nullopt;
    const auto found = std::find(commandNames.begin(), commandNames.end(), name);
    if (found == commandNames.end())
        reader.fail("unknown command '" + std::string(name) + "'");
    return static_cast<Command>(found - commandNames.begin());
}

void readInput(Reader& reader, const std::vector<std::string_view>& w, Event& event) {
    event.kind = EventKind::input;
    const std::string_view source = w[1];
    if (source == "signal" && w.size() == 3) {
        event.source = Source::signal;
        event.command = commandNamed(reader, w[2]);
        return;
    }
    if (w.size() != 4)
        reader.fail("an input is written 'TIME key NAME COMMAND' or 'TIME button N COMMAND'");
    event.command = commandNamed(reader, w[3]);
    if (source == "button") {
        event.source = Source::button;
        if (!readNumber(w[2], event.code) || event.code < 0 || event.code > 255)
            reader.fail("a button is a number from 0 to 255, not '" + std::string(w[2]) + "'");
        return;
    }
    event.source = Source::key;
    const auto found = std::find(keyNames.begin(), keyNames.end(), w[2]);
    event.code = static_cast<int>(found - keyNames.begin());
    if (found == keyNames.end() && (!readNumber(w[2], event.code) || event.code < 0 ||
                                    event.code >= static_cast<int>(keyCount)))
        reader.fail("unknown key '" + std::string(w[2]) + "'");
    if (event.command != commandForKey(static_cast<Key>(event.code)))
        reader.fail("the key " + std::string(w[2]) + " does not make " + std::string(w[3]));
}

Field readField(Reader& reader) {
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

Replay parseReplay(std::string_view text, std::string_view name) {
    Reader reader(text, name);
    Replay replay;
    replay.name = name;
    const std::string_view first = reader.next("the header");
    if (!first.starts_with(header))
        reader.fail("not a gemlets replay: it must begin with '" + std::string(header) + "1'");
    if (int version = 0;
        !readNumber(first.substr(header.size()), version) || version != replayFormatVersion)
        reader.fail("format version '" + std::string(first.substr(header.size())) +
                    "'; this gemlets reads version " + std::to_string(replayFormatVersion));
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
        if (replay.ended) {
            reader.next("nothing");
            reader.fail("text after the end");
        }
        const std::string_view line = reader.next("an event");
        const std::vector<std::string_view> w = words(line);
        ReplayEntry entry;
        entry.line = reader.lineNumber();
        if (w.size() < 2 || !readNumber(w[0], entry.time) || entry.time < 0)
            reader.fail("an event is 'TIME WHAT ...', TIME in milliseconds");
        if (!replay.entries.empty() && entry.time < replay.entries.back().time)
            reader.fail("time goes back");
        const std::string_view what = w[1];
        const auto sealed = [&](std::size_t at) {
            std::uint32_t seal = 0;
            if (w.size() != at + 1 || !readNumber(w[at], seal, 16) || w[at].size() != 8)
                reader.fail("'" + std::string(what) + "' ends with the file's 8-digit check");
            if (seal != reader.hashBefore())
                reader.fail("the file is corrupted: the text before this line does not match "
                            "its check");
        };
        if (what == "key" || what == "button" || what == "signal") {
            readInput(reader, w, entry.event);
        } else if (what == "drop" && w.size() == 3) {
            entry.event.kind = EventKind::drop;
            if (!readNumber(w[2], entry.repeat) || entry.repeat < 2)
                reader.fail("drop steps in a row are counted from 2, not '" + std::string(w[2]) +
                            "'");
        } else if (what == "drop" || what == "frame" || what == "hidden" || what == "load") {
            if (w.size() != 2)
                reader.fail("'" + std::string(what) + "' takes nothing after it");
            entry.event.kind = what == "drop"    ? EventKind::drop
                               : what == "frame" ? EventKind::frame
                               : what == "load"  ? EventKind::load
                                                 : EventKind::hidden;
            if (entry.event.kind == EventKind::load) {
                if (std::exchange(loaded, true))
                    reader.fail("a second starting field");
                entry.event.cells = readField(reader);
                entry.event.name = name;
            }
        } else if (what == "turn") {
            if (w.size() != 4 || w[2].size() != 8 || !readNumber(w[2], entry.checksum, 16))
                reader.fail("a turn is 'TIME turn CHECKSUM CHECK', each of 8 hex digits");
            sealed(3);
            entry.event.kind = EventKind::turn;
        } else if (what == "end") {
            sealed(2);
            replay.ended = true;
            continue;
        } else {
            reader.fail("unknown event '" + std::string(what) + "'");
        }
        replay.entries.push_back(std::move(entry));
    }
    return replay;
}

Replay readReplay(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!(in && text << in.rdbuf()) && !in.eof())
        throw ReplayError(path.string() + ": cannot be read");
    return parseReplay(text.str(), path.string());
}

Recorder::Recorder(std::ostream& out, std::uint32_t seed, Clock::time_point start)
    : out_(out), start_(start), hash_(hashStart) {
    append(std::string(header) + std::to_string(replayFormatVersion) +
           "\ngame " GEMLETS_VERSION "\nfield " + std::to_string(fieldW) + ' ' +
           std::to_string(fieldH) + "\nseed " + std::to_string(seed) + '\n');
    write();
}

void Recorder::append(const std::string& line) {
    text_ += line;
    hash_ = hashed(hash_, line);
}

void Recorder::write() {
    out_.write(text_.data() + written_, static_cast<std::streamsize>(text_.size() - written_));
    out_.flush();
    written_ = text_.size();
}

void Recorder::appendDrops() {
    if (drops_ > 0)
        append(std::to_string(dropTime_) + " drop" +
               (drops_ > 1 ? ' ' + std::to_string(drops_) : std::string()) + '\n');
    drops_ = 0;
}

void Recorder::entered(const Event& event, const Game& game) {
    if (finished_)
        return;
    const long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
    if (event.kind == EventKind::drop && drops_ > 0 && ms == dropTime_) {
        ++drops_;
        return;
    }
    appendDrops();
    if (event.kind == EventKind::drop) {
        dropTime_ = ms;
        drops_ = 1;
        return;
    }
    std::string line = std::to_string(ms) + ' ' + describe(event);
    if (event.kind == EventKind::turn) {
        append(line + ' ' + hex8(stateChecksum(game)) + ' ' + hex8(hash_) + '\n');
        write();
        return;
    }
    if (event.kind == EventKind::load)
        line += '\n' + fieldToText(event.cells);
    else
        line += '\n';
    append(line);
}

void Recorder::finish() {
    if (std::exchange(finished_, true))
        return;
    appendDrops();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_);
    append(std::to_string(ms.count()) + " end " + hex8(hash_) + '\n');
    write();
}

std::string Recorder::text() {
    if (!finished_)
        appendDrops();
    return text_;
}

ReplayPlayer::ReplayPlayer(const Replay& replay, Game& game)
    : replay_(replay), game_(game), random_(replay.seed) {
    startGame(game_);
    clearField(game_);
    if (replay.entries.empty())
        verdict_ = Verdict::done;
}

long ReplayPlayer::nextTime() const {
    if (replay_.entries.empty())
        return 0;
    return replay_.entries[std::min(next_, replay_.entries.size() - 1)].time;
}

ReplayPlayer::Verdict ReplayPlayer::playUntil(long time) {
    while (verdict_ == Verdict::playing && replay_.entries[next_].time <= time) {
        const ReplayEntry& entry = replay_.entries[next_++];
        const std::string where = replay_.name + ": event " + std::to_string(next_) + " (line " +
                                  std::to_string(entry.line) + ", at " + seconds(entry.time) +
                                  "): ";
        std::scoped_lock lock(game_.lock);
        for (int more = 1; more < entry.repeat; ++more)
            enterGameLocked(game_, entry.event);
        try {
            if (!enterGameLocked(game_, entry.event, &random_)) {
                verdict_ = Verdict::impossible;
                problem_ = where + "a " + describe(entry.event) + " that cannot happen here: " +
                           (entry.event.kind == EventKind::turn    ? "nothing has landed"
                            : entry.event.kind == EventKind::frame ? "the field is up to date"
                                                                   : "the game is not under way");
                break;
            }
        } catch (const FieldFileError& error) {
            verdict_ = Verdict::impossible;
            problem_ = where + "the starting field cannot be placed: " + error.what();
            break;
        }
        if (entry.event.kind == EventKind::turn && stateChecksum(game_) != entry.checksum) {
            verdict_ = Verdict::differs;
            problem_ = where +
                       "after this turn step the field, score or level differ from "
                       "the recording's (checksum " +
                       hex8(stateChecksum(game_)) + ", recorded " + hex8(entry.checksum) + ")";
            break;
        }
        if (next_ == replay_.entries.size())
            verdict_ = Verdict::done;
    }
    return verdict_;
}

int checkReplay(const std::filesystem::path& path, std::ostream& out, std::ostream& err) {
    try {
        const Replay replay = readReplay(path);
        std::ostringstream trace;
        Game game(trace);
        ReplayPlayer player(replay, game);
        const ReplayPlayer::Verdict verdict =
            player.playUntil(replay.entries.empty() ? 0 : replay.entries.back().time);
        if (verdict == ReplayPlayer::Verdict::impossible) {
            err << "gemlets: " << player.problem() << '\n';
            return 2;
        }
        out << trace.str() << std::flush;
        if (verdict == ReplayPlayer::Verdict::differs) {
            err << "gemlets: " << player.problem() << '\n';
            return 1;
        }
        if (!replay.ended)
            err << "gemlets: " << replay.name << ": the recording ends after event "
                << replay.entries.size() << " at " << seconds(player.nextTime())
                << ", without its end (the game was killed): checked up to there\n";
        return 0;
    } catch (const ReplayError& error) {
        err << "gemlets: " << error.what() << '\n';
        return 2;
    }
}

} // namespace gemlets

// SPDX-License-Identifier: MIT
#include "play/replay.h"

#include "model/field_file.h"
#include "model/game_start.h"
#include "model/read_file.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace gemlets {

namespace {

std::string seconds(long ms) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    return std::to_string(ms / 1000) + '.' + fraction + " s";
}

// Plays the whole replay at once on a game of its own that writes to trace: 0, or as
// checkReplay 1 or 2 with the player's problem.
int playThrough(const Replay& replay, TextOut trace, std::string& problem) {
    Game game(trace);
    ReplayPlayer player(replay, game);
    const ReplayPlayer::Verdict verdict =
        player.playUntil(replay.entries.empty() ? 0 : replay.entries.back().time);
    problem = player.problem();
    return verdict == ReplayPlayer::Verdict::impossible ? 2
           : verdict == ReplayPlayer::Verdict::differs  ? 1
                                                        : 0;
}

// Whether a drop step may change the game: a gemlet falls, or a landing is yet to be
// announced. Otherwise the field, the gemlets' order and the state stay as they are.
bool dropMayChange(const Game& game) {
    return game.state == State::unpause ||
           std::any_of(game.gemlets.begin(), game.gemlets.end(),
                       [](const GemletPtr& g) { return gemletState(*g) == GemletState::dropping; });
}

} // namespace

Replay readReplay(const std::filesystem::path& path) {
    // Read a byte past the most a replay holds, so that a file too big for one (or
    // /dev/zero) is refused there.
    const FileText file = readFile(path, replayMaxBytes + 1);
    if (!file.failure.empty())
        throw ReplayError(path.string() + ": " + file.failure);
    if (file.text.size() > replayMaxBytes)
        throw ReplayError(path.string() + ": more than " + std::to_string(replayMaxBytes >> 20) +
                          " MB, far more than a game makes");
    return parseReplay(file.text, path.string());
}

Recorder::Recorder(TextOut out, std::uint32_t seed, std::function<Clock::time_point()> clock)
    : out_(out), clock_(std::move(clock)), start_(clock_()), writer_(seed) {
    write();
}

void Recorder::write() {
    const std::string& text = writer_.text();
    out_.write(std::string_view(text).substr(written_));
    out_.flush();
    written_ = text.size();
}

void Recorder::appendDrops() {
    if (drops_ > 0)
        writer_.add({.time = dropTime_, .event = eventOf(EventKind::drop), .repeat = drops_});
    drops_ = 0;
}

void Recorder::entered(const Event& event, const Game& game) {
    if (finished_)
        return;
    const long ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - start_).count();
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
    writer_.add({.time = ms,
                 .event = event,
                 .checksum = event.kind == EventKind::turn ? stateChecksum(game) : 0});
    if (event.kind == EventKind::turn)
        write();
}

void Recorder::finish() {
    if (std::exchange(finished_, true))
        return;
    appendDrops();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(clock_() - start_);
    writer_.end(ms.count());
    write();
}

std::string Recorder::text() {
    if (!finished_)
        appendDrops();
    return writer_.text();
}

ReplayPlayer::ReplayPlayer(const Replay& replay, Game& game)
    : replay_(replay), game_(game), random_(replay.seed) {
    startGame(game_);
    clearField(game_);
    if (replay.entries.empty())
        verdict_ = Verdict::done;
}

ReplayPlayer::Verdict ReplayPlayer::playUntil(long time) {
    while (verdict_ == Verdict::playing && replay_.entries[next_].time <= time) {
        const ReplayEntry& entry = replay_.entries[next_++];
        const std::string where = replay_.name + ": event " + std::to_string(next_) + " (line " +
                                  std::to_string(entry.line) + ", at " + seconds(entry.time) +
                                  "): ";
        std::scoped_lock lock(game_.lock);
        // The rest of a run of drop steps that would change nothing are left out: a claimed
        // count costs no more than the steps that move something.
        for (int more = 1; more < entry.repeat && dropMayChange(game_); ++more)
            enterGameLocked(game_, entry.event);
        try {
            if (!enterGameLocked(game_, entry.event, &random_)) {
                verdict_ = Verdict::impossible;
                problem_ = where + "a " + std::string(entryName(entry.event)) +
                           " that cannot happen here: " +
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

int checkReplay(const std::filesystem::path& path, TextOut out, TextOut err) {
    try {
        const Replay replay = readReplay(path);
        TextBuffer trace;
        std::string problem;
        const int status = playThrough(replay, trace, problem);
        if (status == 2) {
            err << "gemlets: " << problem << '\n';
            return 2;
        }
        out << trace.text;
        out.flush();
        if (status == 1) {
            err << "gemlets: " << problem << '\n';
            return 1;
        }
        if (!replay.end)
            err << "gemlets: " << replay.name << ": the recording ends after event "
                << replay.entries.size() << " at "
                << seconds(replay.entries.empty() ? 0 : replay.entries.back().time)
                << ", without its end (the game was killed): checked up to there\n";
        return 0;
    } catch (const ReplayError& error) {
        err << "gemlets: " << error.what() << '\n';
        return 2;
    }
}

int playUnseen(const Replay& replay, TextOut err) {
    std::string problem;
    const int status = playThrough(replay, TextOut(), problem);
    if (status != 0)
        err << "gemlets: " << problem << '\n';
    return status;
}

} // namespace gemlets

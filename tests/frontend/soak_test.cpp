// A soak of whole games: a seeded random player presses keys and buttons and runs the turn
// step, as the main loop does, while the real drop task lowers the gemlets on its own thread.
// After every operation the game is checked under its lock. GEMLETS_SOAK_GAMES sets the number
// of games (10,000 by default), GEMLETS_SOAK_SEED the first game's seed (1 by default).
#include "frontend/commands.h"
#include "frontend/drop_task.h"
#include "frontend/game_start.h"
#include "frontend/turn_step.h"
#include "model/field_file.h"
#include "model/gravity.h"
#include "tests/frontend/field_fixture.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace gemlets {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

long setting(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::stol(text) : fallback;
}

const char* commandName(Command command) {
    constexpr const char* names[] = {"moveLeft", "moveRight",   "rotate", "dropOne",
                                     "hardDrop", "togglePause", "quit"};
    return names[static_cast<int>(command)];
}

int codeOf(const std::array<Binding, 7>& table, Command command) {
    return std::find_if(table.begin(), table.end(),
                        [&](const Binding& b) { return b.command == command; })
        ->code;
}

// The game and operation in progress, for the watchdog's message.
std::atomic<std::uint32_t> seedInProgress = 0;
std::atomic<const char*> operationInProgress = "start";
std::atomic<long> operationsDone = 0;

// Ends the process with a message when no operation finishes for a minute: a deadlock.
std::jthread startWatchdog() {
    return std::jthread([](std::stop_token stop) {
        constexpr auto limit = 60s;
        long lastDone = -1;
        auto lastChange = Clock::now();
        for (; !stop.stop_requested(); std::this_thread::sleep_for(100ms)) {
            if (operationsDone != lastDone) {
                lastDone = operationsDone;
                lastChange = Clock::now();
            } else if (Clock::now() - lastChange > limit) {
                std::fprintf(stderr,
                             "soak: DEADLOCK? nothing finished for %lld s in game seed %u, "
                             "during: %s\n",
                             static_cast<long long>(limit.count()), seedInProgress.load(),
                             operationInProgress.load());
                std::_Exit(EXIT_FAILURE);
            }
        }
    });
}

constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previousActions[std::size(crashSignals)];
// Names the game in progress; written before its drop task starts, since a crash leaves the
// test's own thread no chance to report.
char crashNote[64];
std::size_t crashNoteLength = 0;

// Writes the note, then hands the signal back to the handler before ours (the default, or a
// sanitizer's), which the repeated fault or abort() then meets.
void noteCrash(int signal) {
    [[maybe_unused]] const auto written = write(STDERR_FILENO, crashNote, crashNoteLength);
    for (std::size_t i = 0; i < std::size(crashSignals); ++i) {
        if (crashSignals[i] == signal)
            sigaction(signal, &previousActions[i], nullptr);
    }
}

void installCrashNote() {
    struct sigaction action {};
    action.sa_handler = noteCrash;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(crashSignals); ++i)
        sigaction(crashSignals[i], &action, &previousActions[i]);
}

struct Figures {
    long games = 0;
    long turns = 0;
    long pairs = 0;
    long clearings = 0;
    long cellsCleared = 0;
    long checks = 0;
    long fileGemlets = 0;
    int deepestChain = 0;
};

// Reads the trace of one turn step into the figures: its sweeps, the cells they cleared (the
// visited marks of the grid dumped just before each "sweeping") and how deep they nested.
// Returns the cells cleared.
long readTrace(const std::string& trace, Figures& figures) {
    long cleared = 0;
    int depth = 0;
    const std::string sweep = "\nsweeping";
    for (auto at = trace.find(sweep); at != std::string::npos; at = trace.find(sweep, at + 1)) {
        if (trace.compare(at + sweep.size(), 10, " returning") == 0) {
            --depth;
            continue;
        }
        ++figures.clearings;
        figures.deepestChain = std::max(figures.deepestChain, ++depth);
        auto rowStart = at;
        for (int row = 0; row <= fieldH; ++row)
            rowStart = trace.rfind('\n', rowStart - 1);
        for (auto mark = trace.find("ff ", rowStart); mark < at; mark = trace.find("ff ", mark + 1))
            ++cleared;
    }
    figures.cellsCleared += cleared;
    return cleared;
}

// The cells of every gemlet in play but the falling pair, by colour.
Field imageWithoutThePair(const Game& game) {
    Field image = emptyField();
    for (const GemletPtr& g : game.gemlets) {
        if (g != game.first && g != game.second)
            image[getOffset(*g->x, *g->y)] = *g->col;
    }
    return image;
}

class SoakGame {
public:
    SoakGame(std::uint32_t seed, Figures& figures)
        : seed_(seed), player_(seed), colours_(seed), figures_(figures),
          dropTask_(game_, interval(seed)) {
        seedInProgress = seed;
        crashNoteLength = static_cast<std::size_t>(
            std::snprintf(crashNote, sizeof crashNote, "\nsoak: crashed in game seed %u\n", seed));
    }

    // To game over; false after the first broken invariant.
    bool play() {
        startGame(game_);
        clearField(game_);
        if (player_() % 3 == 0)
            loadRandomField();
        fileGemlets_ = static_cast<long>(game_.gemlets.size()) - 2;
        figures_.fileGemlets += fileGemlets_;
        dropTask_.start();
        if (!check("start"))
            return false;
        long turns = 0;
        for (long idle = 0; !over_; ++idle) {
            if (idle == idleCap || turns == turnCap) {
                ADD_FAILURE() << "game seed " << seed_ << " not over: " << idle
                              << " operations since the last turn step, " << turns
                              << " turn steps\n"
                              << recent();
                return false;
            }
            if (!check(playOne()))
                return false;
            // std::mutex is not fair, and under ThreadSanitizer a player taking the lock back
            // to back can keep the drop task from ever stepping; a long wait backs off.
            if (idle > backOffAfter)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (game_.state == State::newGemlets) {
                idle = 0;
                ++turns;
                if (!turn() || !check("turn step"))
                    return false;
            }
        }
        note("quit");
        pressKey(game_, dropTask_, codeOf(keyTable, Command::quit));
        dropTask_.stop();
        return check("quit");
    }

private:
    // A landing takes a few thousand operations at most (the 1 ms games); a game a few dozen
    // turns.
    static constexpr long idleCap = 5'000'000;
    static constexpr long backOffAfter = 1'000;
    static constexpr long turnCap = 1'000;

    // Back-to-back drop steps, as at level 10; every 25th game waits 1 ms, so that the task
    // also sleeps and is woken.
    static IntervalFunction interval(std::uint32_t seed) {
        const std::chrono::milliseconds wait(seed % 25 == 0 ? 1 : 0);
        return [wait](int) {
            return wait;
        };
    }

    // Random cells in the lowest rows, the first pair's cells left free.
    void loadRandomField() {
        const int topRow = fieldH - 1 - static_cast<int>(player_() % 7);
        std::string text;
        for (int y = 0; y < fieldH; ++y) {
            for (int x = 0; x < fieldW; ++x)
                text += y >= topRow && player_() % 2 == 0 ? char('0' + player_() % maxCols) : '*';
            text += '\n';
        }
        loadField(game_, fixture::tempFile("gemlets_soak_test.txt", text));
    }

    void note(const char* what, int code = -1) {
        recent_[noted_++ % recent_.size()] = {what, code};
        operationInProgress = what;
        ++operationsDone;
    }

    // One operation of the main loop's thread: a key or a button, or a moment to wait.
    const char* playOne() {
        constexpr Command commands[] = {Command::moveLeft, Command::moveRight,
                                        Command::rotate,   Command::dropOne,
                                        Command::hardDrop, Command::togglePause};
        const int choice = pick_(player_);
        if (choice == static_cast<int>(std::size(commands))) {
            note("wait");
            std::this_thread::yield();
            return "wait";
        }
        const Command command = commands[choice];
        if (player_() % 2 == 0) {
            const int key = codeOf(keyTable, command);
            note(commandName(command), key);
            pressKey(game_, dropTask_, key);
        } else {
            const int button = codeOf(buttonTable, command);
            note(commandName(command), 1000 + button);
            pressButton(game_, dropTask_, button);
        }
        return commandName(command);
    }

    // The turn step on the real game, then, whenever it scored, the same turn step replayed
    // alone on a copy with its trace, which counts the cells cleared apart from the points.
    bool turn() {
        std::ostringstream trace;
        Game replay(trace);
        GemletPtr first;
        {
            std::scoped_lock lock(game_.lock); // a consistent copy for the replay
            // Only the drop task ran since the landing was seen, and it only announces one.
            if (game_.state != State::newGemlets)
                return fail("the landing", "the state left newGemlets behind the player's back");
            replay.field = game_.field;
            for (const GemletPtr& g : game_.gemlets)
                replay.gemlets.push_back(makeGemlet(*g));
            replay.points = game_.points;
            replay.level = game_.level.load();
            first = game_.first;
        }
        replay.state = State::newGemlets;
        const bool spawnTaken = replay.field[getOffset(spawnX1, spawnY)] != emptyCell ||
                                replay.field[getOffset(spawnX2, spawnY)] != emptyCell;
        RandomGenerator replayColours = colours_;
        note("turn step");
        turnStep(game_, colours_);
        ++figures_.turns;

        std::scoped_lock lock(game_.lock); // what the turn step left
        if (spawnTaken) {
            over_ = true;
            if (game_.first != first || game_.gemlets.size() != replay.gemlets.size())
                return fail("turn step", "a pair came although a spawn cell was taken");
            return true;
        }
        if (game_.first == first)
            return fail("turn step", "no new pair although both spawn cells were free");
        ++pairs_;
        ++figures_.pairs;
        if (game_.points == replay.points)
            return true;

        turnStep(replay, replayColours);
        cleared_ += readTrace(trace.str(), figures_);
        const Field real = imageWithoutThePair(game_);
        const Field alone = imageWithoutThePair(replay);
        if (real != alone || replay.points != game_.points)
            return fail("turn step", "the turn step alone gave " + std::to_string(replay.points) +
                                         " points and this field:\n" + fieldToText(alone) +
                                         "beside the drop task, " + std::to_string(game_.points) +
                                         " points and:\n" + fieldToText(real));
        return true;
    }

    // Under the lock, as the frame step would take it: the field brought up to date from the
    // gemlets, then every invariant.
    bool check(const char* after) {
        std::scoped_lock lock(game_.lock); // the frame step's gemletsToField and the reading
        ++figures_.checks;
        Field image = emptyField();
        for (const GemletPtr& g : game_.gemlets) {
            if (!g->x || !g->y || !g->col || !g->state || *g->x < 0 || *g->x >= fieldW ||
                *g->y < 0 || *g->y >= fieldH || !isColour(*g->col))
                return fail(after,
                            "a gemlet outside the field or without a colour: " + describe(*g));
            int& cell = image[getOffset(*g->x, *g->y)];
            if (cell != emptyCell)
                return fail(after, "two gemlets share a cell: " + describe(*g));
            cell = *g->col;
        }
        const auto inPlay = [this](const GemletPtr& g) {
            return std::find(game_.gemlets.begin(), game_.gemlets.end(), g) != game_.gemlets.end();
        };
        if (!inPlay(game_.first) || !inPlay(game_.second))
            return fail(after, "the falling pair is not among the gemlets in play");
        gemletsToField(game_);
        if (game_.field != image)
            return fail(after, "the field is not the image of the gemlets:\n" +
                                   fieldToText(game_.field) + "where they make\n" +
                                   fieldToText(image));
        if (game_.points != 2 * cleared_)
            return fail(after, std::to_string(game_.points) + " points for " +
                                   std::to_string(cleared_) + " cells cleared");
        if (game_.level != std::min(10, game_.points / 50))
            return fail(after, "level " + std::to_string(game_.level) + " at " +
                                   std::to_string(game_.points) + " points");
        const long expected = fileGemlets_ + 2 * (pairs_ + 1) - cleared_;
        if (static_cast<long>(game_.gemlets.size()) != expected)
            return fail(after, std::to_string(game_.gemlets.size()) + " gemlets in play where " +
                                   std::to_string(fileGemlets_) + " from the file + 2 x " +
                                   std::to_string(pairs_ + 1) + " pairs - " +
                                   std::to_string(cleared_) + " cleared make " +
                                   std::to_string(expected));
        return true;
    }

    static std::string describe(const Gemlet& g) {
        const auto text = [](const std::optional<int>& value) {
            return value ? std::to_string(*value) : std::string("none");
        };
        return "(" + text(g.x) + ", " + text(g.y) + ") colour " + text(g.col);
    }

    std::string recent() const {
        std::string text = "last operations, oldest first:";
        for (std::size_t i = noted_ > recent_.size() ? noted_ - recent_.size() : 0; i < noted_;
             ++i) {
            const auto& [what, code] = recent_[i % recent_.size()];
            text += std::string("\n  ") + what;
            if (code >= 1000)
                text += " (button " + std::to_string(code - 1000) + ")";
            else if (code >= 0)
                text += " (key " + std::to_string(code) + ")";
        }
        return text;
    }

    // The caller holds the lock.
    bool fail(const char* after, const std::string& problem) {
        std::string gemlets;
        for (const GemletPtr& g : game_.gemlets)
            gemlets += "\n  " + describe(*g);
        ADD_FAILURE() << "game seed " << seed_ << " (GEMLETS_SOAK_SEED=" << seed_
                      << " GEMLETS_SOAK_GAMES=1 repeats its choices), after " << after << ": "
                      << problem << "\nfield:\n"
                      << fieldToText(game_.field) << "points " << game_.points << ", level "
                      << game_.level << ", state " << static_cast<int>(game_.state.load())
                      << "\ngemlets in play:" << gemlets << "\n"
                      << recent();
        return false;
    }

    std::uint32_t seed_;
    std::mt19937 player_;
    // Moves and rotations most, drops less, pause toggles rarely; the last weight is a wait.
    std::discrete_distribution<int> pick_{20, 20, 20, 8, 8, 2, 22};
    RandomGenerator colours_;
    Figures& figures_;
    // A stream without a buffer is bad from the start, so the trace is never even formatted.
    std::ostream discarded_{nullptr};
    Game game_{discarded_};
    DropTask dropTask_; // after the game: joined before the game goes
    long fileGemlets_ = 0;
    long pairs_ = 0;   // spawned by turn steps; the first pair comes with the game
    long cleared_ = 0; // counted in the replayed traces
    bool over_ = false;
    std::array<std::pair<const char*, int>, 16> recent_{};
    std::size_t noted_ = 0;
};

TEST(Soak, RandomGamesBesideTheDropTaskKeepEveryGemletAndTheScore) {
    const long games = setting("GEMLETS_SOAK_GAMES", 10'000);
    const auto firstSeed = static_cast<std::uint32_t>(setting("GEMLETS_SOAK_SEED", 1));
    Figures figures;
    const std::jthread watchdog = startWatchdog();
    installCrashNote();
    const auto start = Clock::now();
    for (long game = 0; game < games; ++game) {
        SoakGame soak(firstSeed + static_cast<std::uint32_t>(game), figures);
        if (!soak.play())
            break;
        ++figures.games;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::cout << "soak: " << figures.games << " games, " << figures.turns << " turn steps, "
              << figures.pairs << " pairs spawned, " << figures.fileGemlets
              << " gemlets from field files, " << figures.clearings << " clearings of "
              << figures.cellsCleared << " cells, deepest chain " << figures.deepestChain << ", "
              << figures.checks << " invariant checks, " << seconds << " s\n";
    EXPECT_EQ(figures.games, games);
    EXPECT_GT(figures.clearings, 0);
}

} // namespace
} // namespace gemlets

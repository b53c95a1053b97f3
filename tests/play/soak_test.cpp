// SPDX-License-Identifier: MIT
// A soak of whole games: a seeded random player presses keys and buttons and runs the turn
// step, as the main loop does, while the real drop task lowers the gemlets on its own thread.
// After every operation the game is checked under its lock. GEMLETS_SOAK_GAMES sets the number
// of games (10,000 by default), GEMLETS_SOAK_SEED the first game's seed (1 by default). A hang
// or a crash fails through ctest's timeout or a sanitizer; the seed is written first. A game
// that breaks an invariant writes its replay. GEMLETS_SOAK_RECORD=DIR makes the replay corpus
// (tests/replays): each game is played at a hand's pace, steering each pair onto its colour,
// beside drop intervals a tenth of the game's, and its replay and standard output go to DIR.
#include "model/field_file.h"
#include "model/game_start.h"
#include "model/gravity.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "play/replay.h"
#include "play/turn_step.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <ranges>
#include <unistd.h>

namespace gemlets {
namespace {

// Names the game in progress on a crash, then hands the signal back to the handler before
// ours (the default, or a sanitizer's), which the repeated fault or abort() then meets.
char crashNote[64];
struct sigaction previousAction[NSIG];
void noteCrash(int signal) {
    [[maybe_unused]] const auto written = write(STDERR_FILENO, crashNote, std::strlen(crashNote));
    sigaction(signal, &previousAction[signal], nullptr);
}

const char* const corpusDir = std::getenv("GEMLETS_SOAK_RECORD");
// GEMLETS_SOAK_REAL set: the game's own intervals and a command every 180 ms, not 3 ms.
const bool corpusReal = std::getenv("GEMLETS_SOAK_REAL") != nullptr;

class SoakGame {
public:
    explicit SoakGame(std::uint32_t seed)
        : seed_(seed), player_(seed), colours_(seed),
          // Back-to-back drop steps as at level 10; every 25th game sleeps 1 ms between them.
          dropTask_(game_, [seed](int level) {
              return corpusDir ? dropInterval(level) / (corpusReal ? 1 : 10)
                               : std::chrono::milliseconds(seed % 25 == 0);
          }) {}

    // To game over; false after the first broken invariant.
    bool play() {
        startGame(game_);
        dropTask_.start();
        for (long idle = 0; game_.state != State::gameover && game_.run; ++idle) {
            if (corpusDir && seed_ % 4 == 0 && pairs_ == 10 + static_cast<long>(seed_ % 7))
                pressKey(game_, dropTask_, Key::escape); // a game left early
            if (idle == 5'000'000)
                return fail("five million operations without a landing");
            const std::optional<Command> command =
                corpusDir && player_() % 8 != 0 ? steer() : choices[pick_(player_)].command;
            if (corpusDir)
                std::this_thread::sleep_for(std::chrono::milliseconds(corpusReal ? 180 : 3));
            if (!command) {
                std::this_thread::yield(); // a moment without input
                continue;
            }
            if (player_() % 2 == 0)
                pressKey(game_, dropTask_, *keyForCommand(*command));
            else
                pressButton(
                    game_, dropTask_,
                    std::ranges::find(gp2xBindings, *command, &Gp2xBinding::command)->button);
            // std::mutex is not fair: a player taking it back to back could starve the task.
            if (idle > 1000)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (game_.state == State::newGemlets) {
                idle = 0;
                const GemletPtr first = game_.first; // only this thread changes the pair
                turnStep(game_, colours_);
                pairs_ += game_.first != first;
            }
            if (!check())
                return false;
        }
        if (corpusDir && game_.run)
            pressKey(game_, dropTask_, Key::escape); // after game over
        dropTask_.stop();
        if (corpusDir) {
            recorder_.finish();
            const std::string name = std::string(corpusDir) + "/soak-" + std::to_string(seed_);
            std::ofstream(name + ".replay") << recorder_.text();
            std::ofstream(name + ".out") << trace_.str();
            std::cerr << name << ": " << pairs_ << " pairs, level " << game_.level << '\n';
        }
        return true;
    }

private:
    // As the frame step sees the game: every gemlet in its own cell of the field, the pair in
    // play, and every gemlet not in play cleared and scored.
    bool check() {
        std::scoped_lock lock(game_.lock);
        Field image = emptyField();
        for (const GemletPtr& g : game_.gemlets) {
            if (*g->x < 0 || *g->x >= fieldW || *g->y < 0 || *g->y >= fieldH || !isColour(*g->col))
                return fail("a gemlet outside the field or without a colour");
            if (std::exchange(image[getOffset(*g->x, *g->y)], *g->col) != emptyCell)
                return fail("two gemlets share a cell");
        }
        if (std::ranges::count(game_.gemlets, game_.first) != 1 ||
            std::ranges::count(game_.gemlets, game_.second) != 1)
            return fail("the falling pair is not in play");
        gemletsToField(game_);
        if (game_.field != image)
            return fail("the field is not the image of the gemlets");
        const long cleared = 2 * (pairs_ + 1) - static_cast<long>(game_.gemlets.size());
        if (game_.points != 2 * cleared || game_.level != std::min(10, game_.points / 50))
            return fail(std::to_string(cleared) + " gemlets gone, not 2 points each, or the level");
        return true;
    }

    // The next step of the plan for the pair in play: upright, over the column whose top
    // has the lower gemlet's colour (or else the lowest), then down.
    std::optional<Command> steer() {
        std::scoped_lock lock(game_.lock);
        if (game_.first != planned_)
            plan(std::exchange(planned_, game_.first) != nullptr);
        if (plan_.empty())
            return std::nullopt;
        const Command next = plan_.back();
        plan_.pop_back();
        return next;
    }

    // The caller holds the lock. Scores each column and each gemlet of the pair at the bottom
    // by the neighbours of its colour the two would land beside, a low stack and the spawn
    // cells kept clear.
    void plan(bool flat) {
        const auto is = [&](int x, int y, int col) {
            return x >= 0 && x < fieldW && y < fieldH && game_.field[getOffset(x, y)] == col;
        };
        const int f = *game_.first->col, s = *game_.second->col;
        int best = 3;
        bool sBelow = false;
        long bestScore = -1000;
        for (int x = 0; x < fieldW; ++x) {
            int top = 1;
            while (top < fieldH && game_.field[getOffset(x, top)] == emptyCell)
                ++top;
            for (const bool swap : {false, true}) {
                const int low = swap ? s : f, high = swap ? f : s, y = top - 1;
                const long score =
                    10 * (is(x - 1, y, low) + is(x + 1, y, low) + is(x, y + 1, low) +
                          is(x - 1, y - 1, high) + is(x + 1, y - 1, high) + (low == high)) +
                    top - (x == 2 || x == 3 ? 6 : 0);
                if (score > bestScore)
                    best = x, sBelow = swap, bestScore = score;
            }
        }
        // Backwards: the last step first.
        plan_.assign({player_() % 2 ? Command::hardDrop : Command::dropOne});
        plan_.insert(plan_.end(), static_cast<std::size_t>(std::abs(best - 3)),
                     best < 3 ? Command::moveLeft : Command::moveRight);
        if (flat)
            plan_.insert(plan_.end(), sBelow ? 3 : 1, Command::rotate);
    }

    // The caller holds the lock.
    bool fail(const std::string& problem) {
        const std::string replay =
            (std::filesystem::current_path() / ("soak-" + std::to_string(seed_) + ".replay"))
                .string();
        std::ofstream(replay) << recorder_.text();
        ADD_FAILURE() << "game seed " << seed_ << " (GEMLETS_SOAK_SEED=" << seed_
                      << " GEMLETS_SOAK_GAMES=1; watch it: gemlets --replay " << replay
                      << "): " << problem << "\nfield:\n"
                      << fieldToText(game_.field) << "points " << game_.points << ", level "
                      << game_.level << ", state " << static_cast<int>(game_.state.load());
        return false;
    }

    std::uint32_t seed_;
    std::mt19937 player_;
    // Moves and turns most, drops less, pause toggles rarely, never quit; none is a wait.
    struct Choice {
        std::optional<Command> command;
        double weight;
    };
    static constexpr Choice choices[] = {{Command::moveLeft, 20}, {Command::moveRight, 20},
                                         {Command::rotate, 20},   {Command::dropOne, 8},
                                         {Command::hardDrop, 8},  {Command::togglePause, 2},
                                         {std::nullopt, 22}};
    std::discrete_distribution<std::size_t> pick_{
        std::views::transform(choices, &Choice::weight).begin(),
        std::views::transform(choices, &Choice::weight).end()};
    RandomGenerator colours_;
    std::ostringstream trace_;
    // Without a corpus to record, the trace is never even formatted.
    Game game_{corpusDir ? TextOut(trace_) : TextOut()};
    std::ostringstream replayText_;
    Recorder recorder_{replayText_, seed_};
    Watching watching_{game_, recorder_};
    DropTask dropTask_; // after the game and its recorder: joined before they go
    long pairs_ = 0;    // spawned by turn steps; the first pair comes with the game
    GemletPtr planned_;
    std::vector<Command> plan_;
};

TEST(Soak, RandomGamesBesideTheDropTaskKeepEveryGemletAndTheScore) {
    const auto setting = [](const char* name, long fallback) {
        const char* text = std::getenv(name);
        return text != nullptr && *text != '\0' ? std::stol(text) : fallback;
    };
    const long games = setting("GEMLETS_SOAK_GAMES", 10'000);
    const auto firstSeed = static_cast<std::uint32_t>(setting("GEMLETS_SOAK_SEED", 1));
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        struct sigaction action {};
        action.sa_handler = noteCrash;
        sigaction(signal, &action, &previousAction[signal]);
    }
    for (long game = 0; game < games; ++game) {
        const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(game);
        std::snprintf(crashNote, sizeof crashNote, "\nsoak: crashed in game seed %u\n", seed);
        if (!SoakGame(seed).play())
            break;
    }
}

} // namespace
} // namespace gemlets

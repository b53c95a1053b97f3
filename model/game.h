// SPDX-License-Identifier: MIT
// The whole state of one game: score, level, the field and its scratch copy, the gemlets in
// play with the falling pair, and the flags shared with the drop task. One instance serves a
// run; tests make a fresh one each.
#pragma once

#include "model/field.h"
#include "model/gemlet.h"
#include "model/text_out.h"

#include <any>
#include <atomic>
#include <mutex>
#include <vector>

namespace gemlets {

enum class State {
    none,       // start-up has not set a state yet
    unpause,    // play runs
    pause,      // the drop task starts no drop: the player paused, or a move or clearing works
    newGemlets, // everything has landed; the next turn step clears groups and spawns a pair
    gameover,   // a spawn cell was taken when a pair was due
};

// What every game starts with: startGame sets them, and a Game holds them from the first, so
// that no other level is ever read.
inline constexpr int startPoints = 0;
inline constexpr int startLevel = 0;

struct Game {
    // diagnostics: where the trace and grid dumps go, which the platform chooses.
    explicit Game(TextOut diagnostics) : out(diagnostics) {}

    int points = startPoints;
    // Read by the drop task outside the lock, like state and run.
    std::atomic<int> level = startLevel;
    Field field = emptyField();
    Field solveField = emptyField();
    std::atomic<State> state = State::none;
    std::atomic<bool> run = false;
    Gemlets gemlets;
    GemletPtr first;
    GemletPtr second;

    // The game-state lock between the main loop and the drop task. Callers hold it across a
    // whole operation; nothing in the model takes it.
    std::mutex lock;

    // The group-search trace and grid dumps go here: standard output in the game.
    TextOut out;

    // What the last turn step cleared, for what reports it (the sounds); no rule reads it.
    // The groups of each step of its chain, in the order they cleared: a group cleared after
    // gemlets have fallen since the last one is a step further.
    std::vector<int> chainGroups;
    bool chainFell = false; // gemlets have fallen since the last group cleared

    // Who the layer above tells of each change it makes to this game, kept with the game so
    // that they end with it, and changed under `lock`. The model never reads it, nor names
    // what it holds.
    std::any watchers;
};

// Every cell of game.field becomes empty; nothing else changes.
void clearField(Game& game);

} // namespace gemlets

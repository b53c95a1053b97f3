// SPDX-License-Identifier: MIT
// Test helpers: fields written as their top rows in the field text form, a game laid out from
// them, its field read back in that form, and files written for the loaders.
#pragma once

#include "model/field_file.h"
#include "model/game.h"
#include "model/gravity.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace gemlets::fixture {

// The text form of a field whose top rows are these; the rest is empty.
inline std::string topRows(const std::vector<std::string> rows) {
    std::string text;
    for (std::size_t y = 0; y < static_cast<std::size_t>(fieldH); ++y)
        text += (y < rows.size() ? rows[y] : "******") + "\n";
    return text;
}

// Every occupied cell becomes a dropping gemlet; the field shows them.
inline void layOut(Game& game, const std::vector<std::string> rows) {
    textToField(topRows(rows), game.field, "fixture");
    game.gemlets.clear();
    fieldToGemlets(game);
    gemletsToField(game);
}

// The field as the next frame would draw it, in the text form.
inline std::string fieldPicture(Game& game) {
    std::scoped_lock lock(game.lock); // the field update and its reading, beside a drop task
    gemletsToField(game);
    return fieldToText(game.field);
}

// A file of the given bytes in the temporary folder, named per process so that two runs of
// the suites at once never read each other's files.
inline std::filesystem::path tempFile(const std::string& name, const std::string& bytes) {
    const auto path =
        std::filesystem::path(::testing::TempDir()) / (std::to_string(::getpid()) + "_" + name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace gemlets::fixture

// SPDX-License-Identifier: MIT
// Fields for every suite, written in the field file's text form: one string per row, the rows
// not given empty; '#' stands for the search's visited mark. Games laid out from them, fields
// read back in that form, and files written for the loaders.
#pragma once

#include "model/field_file.h"
#include "model/game.h"
#include "model/gravity.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace gemlets::fixture {

using Rows = std::vector<std::string_view>;

// The text form of a field whose top rows are these, "" an empty row; '#' is kept. Rows are
// written for the standard field, 6 wide; a wider field has them padded with empty cells on
// the right.
inline std::string topRows(const Rows& rows) {
    std::string text;
    for (std::size_t y = 0; y < static_cast<std::size_t>(fieldH); ++y) {
        const std::string row(y < rows.size() ? rows[y] : "");
        text += row + std::string(static_cast<std::size_t>(fieldW) - row.size(), '*') + "\n";
    }
    return text;
}

// Skips a test that is written for the standard field, 6 columns by 12 rows, in another.
#define SKIP_UNLESS_STANDARD_FIELD()                                                               \
    if (fieldW != 6 || fieldH != 12)                                                               \
    GTEST_SKIP() << "written for the standard 6 x 12 field"

inline Field bottomRows(const Rows& rows) {
    Rows all(static_cast<std::size_t>(fieldH) - rows.size(), "");
    all.insert(all.end(), rows.begin(), rows.end());
    std::string text = topRows(all);
    std::vector<std::size_t> marks;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '#')
            marks.push_back(at - at / (fieldW + 1)), text[at] = '*';
    }
    Field f = emptyField();
    textToField(text, f, "fixture");
    for (std::size_t i : marks)
        f[i] = visitedMark;
    return f;
}

// The bottom rows become dropping gemlets, then fall until everything has landed.
inline void settle(Game& game, const Rows& rows) {
    game.field = bottomRows(rows);
    fieldToGemlets(game);
    while (dropGemlets(game) != 0) {
    }
    gemletsToField(game);
}

// The top rows replace the gemlets in play, every one dropping; the field shows them.
inline void layOut(Game& game, const Rows& rows) {
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

// SPDX-License-Identifier: MIT
// Fields for the model's tests, written in the field file's text form: one string per row,
// bottom rows last; rows not given are empty. '#' stands for the search's visited mark.
#pragma once

#include "model/field_file.h"
#include "model/game.h"
#include "model/gravity.h"

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace gemlets::testing {

inline Field bottomRows(const std::vector<std::string_view>& rows) {
    std::string text;
    for (std::size_t i = rows.size(); i < fieldH; ++i)
        text += "******\n";
    std::vector<std::size_t> marks;
    for (std::string_view row : rows) {
        for (char ch : row) {
            if (ch == '#')
                marks.push_back(text.size() - text.size() / (fieldW + 1));
            text += ch == '#' ? '*' : ch;
        }
        text += '\n';
    }
    Field f = emptyField();
    textToField(text, f);
    for (std::size_t i : marks)
        f[i] = visitedMark;
    return f;
}

// What printField writes for the field.
inline std::string printed(const Field& f) {
    std::ostringstream out;
    printField(f, out);
    return out.str();
}

// The rows become dropping gemlets, then fall until everything has landed.
inline void settle(Game& game, const std::vector<std::string_view>& rows) {
    game.field = bottomRows(rows);
    fieldToGemlets(game);
    while (dropGemlets(game) != 0) {
    }
    gemletsToField(game);
}

} // namespace gemlets::testing

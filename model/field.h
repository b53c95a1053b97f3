// SPDX-License-Identifier: MIT
// The field grid: fieldW x fieldH cells in row-major order, row 0 at the top, and the small
// operations that every rule uses to read, copy, count and dump it.
#pragma once

#include "model/field_size.h" // fieldW, fieldH: the build chooses them
#include "model/text_out.h"

#include <array>
#include <cstddef>
#include <vector>

namespace gemlets {

inline constexpr int maxCols = 4; // colour codes 0 blue, 1 red, 2 green, 3 yellow

// A table with one entry per colour code, in code order. An entry too few or too many fails
// to compile, so that a new colour cannot be added without every table that needs it.
template <class T, class... Entries>
constexpr std::array<T, maxCols> perColour(Entries... entries) {
    static_assert(sizeof...(Entries) == maxCols, "a per-colour table needs one entry per colour");
    return {T(entries)...};
}

inline constexpr int emptyCell = -1;
// Written by the group search into its scratch grid; no colour code can equal it.
inline constexpr int visitedMark = 255;

using Field = std::vector<int>;

// No range test: callers check bounds or pass coordinates of gemlets in play.
constexpr std::size_t getOffset(int x, int y) {
    return static_cast<std::size_t>(y * fieldW + x);
}

constexpr bool isColour(int value) {
    return value >= 0 && value < maxCols;
}

Field emptyField();

// dst must hold at least as many cells as src.
void copyField(const Field& src, Field& dst);

int countElements(const Field& f, int elem);

// fieldH lines of fieldW lower-case hex values, each followed by a blank.
void printField(const Field& f, const TextOut& out);

} // namespace gemlets

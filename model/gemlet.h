// SPDX-License-Identifier: MIT
// The gemlet record: one coloured, cell-sized piece. Records are shared, not copied: the
// falling pair and the list of gemlets in play point at the same records, and a search may
// go on over records that a clearing has already dropped from the list.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace gemlets {

enum class GemletState { dropping, landed };

// Every field may be empty; the game itself always fills all four.
struct Gemlet {
    std::optional<int> x{};   // column, 0 = leftmost
    std::optional<int> y{};   // row, 0 = top
    std::optional<int> col{}; // colour code
    std::optional<GemletState> state{};
};

using GemletPtr = std::shared_ptr<Gemlet>;
using Gemlets = std::vector<GemletPtr>;

// Fields not named stay empty: makeGemlet({.x = 2, .y = 0, .col = 1, .state = ...}).
GemletPtr makeGemlet(Gemlet fields = {});

inline std::optional<int> gemletX(const Gemlet& g) {
    return g.x;
}
inline std::optional<int> gemletY(const Gemlet& g) {
    return g.y;
}
inline std::optional<int> gemletCol(const Gemlet& g) {
    return g.col;
}
inline std::optional<GemletState> gemletState(const Gemlet& g) {
    return g.state;
}

inline void setGemletX(Gemlet& g, std::optional<int> x) {
    g.x = x;
}
inline void setGemletY(Gemlet& g, std::optional<int> y) {
    g.y = y;
}
inline void setGemletCol(Gemlet& g, std::optional<int> col) {
    g.col = col;
}
inline void setGemletState(Gemlet& g, std::optional<GemletState> state) {
    g.state = state;
}

// A named argument: absent (no change), or given with a value that may itself be empty.
// To give an empty value write `.x = std::optional<int>{}`; `.x = std::nullopt` means absent.
template <class T> using Given = std::optional<std::optional<T>>;

struct GemletChanges {
    Given<int> x{};
    Given<int> y{};
    Given<int> col{};
    Given<GemletState> state{};
};

// Writes the given fields in place and returns the same record.
Gemlet& setGemlet(Gemlet& g, const GemletChanges& changes);

// A new record: the given fields from changes, the rest copied from g, which is untouched.
GemletPtr updateGemlet(const Gemlet& g, const GemletChanges& changes);

// std::monostate stands for an empty field.
using AlistValue = std::variant<std::monostate, int, GemletState>;
using Alist = std::vector<std::pair<std::string, AlistValue>>;

// Always the four pairs x, y, col, state, in that order.
Alist gemletToAlist(const Gemlet& g);

// Keys other than x, y, col and state are skipped; a repeated key keeps its last value.
// Throws std::invalid_argument when a value cannot be held by its key's field.
GemletPtr alistToGemlet(const Alist& alist);

} // namespace gemlets

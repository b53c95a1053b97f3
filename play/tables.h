// SPDX-License-Identifier: MIT
// Small constant tables, one entry a line, between a device's numbers or names and the input
// vocabulary: the checks that a table holds each value of an enum, and looking an entry up.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <type_traits>

namespace gemlets {

// An enum whose last enumerator, `end`, is no value: it counts the others, so that a table
// that misses a value added later fails the static_assert beside it.
template <class Enum> inline constexpr std::size_t countOf = static_cast<std::size_t>(Enum::end);

// How many entries of `table` hold each value of Enum, read from each entry by `value`.
template <class Enum, class Entry, std::size_t N, class Value = std::identity>
constexpr std::array<std::size_t, countOf<Enum>> timesEach(const std::array<Entry, N>& table,
                                                           Value value = {}) {
    std::array<std::size_t, countOf<Enum>> times{};
    for (const Entry& entry : table) {
        const auto at = static_cast<std::size_t>(std::invoke(value, entry));
        if (at < times.size())
            ++times[at];
    }
    return times;
}

// True when the table holds each value of Enum exactly once and nothing else.
template <class Enum, class Entry, std::size_t N, class Value = std::identity>
constexpr bool holdsEachOnce(const std::array<Entry, N>& table, Value value = {}) {
    for (const std::size_t n : timesEach<Enum>(table, value)) {
        if (n != 1)
            return false;
    }
    return N == countOf<Enum>;
}

// True when no value of Enum is in the table twice.
template <class Enum, class Entry, std::size_t N, class Value = std::identity>
constexpr bool holdsNoneTwice(const std::array<Entry, N>& table, Value value = {}) {
    for (const std::size_t n : timesEach<Enum>(table, value)) {
        if (n > 1)
            return false;
    }
    return true;
}

// The `to` of the first entry whose `from` is `value`; none where no entry has it.
template <class Entry, std::size_t N, class From, class To>
constexpr std::optional<To> lookUp(const std::array<Entry, N>& table, From Entry::*from,
                                   const std::type_identity_t<From>& value, To Entry::*to) {
    for (const Entry& entry : table) {
        if (entry.*from == value)
            return entry.*to;
    }
    return std::nullopt;
}

} // namespace gemlets

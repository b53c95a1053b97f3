// SPDX-License-Identifier: MIT
#include "model/gemlet.h"

#include <stdexcept>

namespace gemlets {

namespace {

template <class T> std::optional<T> pick(const Given<T>& given, const std::optional<T>& old) {
    return given ? *given : old;
}

template <class T> std::optional<T> fieldValue(const std::string& key, const AlistValue& value) {
    if (std::holds_alternative<std::monostate>(value))
        return std::nullopt;
    if (const T* held = std::get_if<T>(&value))
        return *held;
    throw std::invalid_argument("gemlet field '" + key + "' cannot hold the value given for it");
}

AlistValue alistValue(const std::optional<int>& value) {
    return value ? AlistValue{*value} : AlistValue{};
}

AlistValue alistValue(const std::optional<GemletState>& value) {
    return value ? AlistValue{*value} : AlistValue{};
}

} // namespace

GemletPtr makeGemlet(Gemlet fields) {
    return std::make_shared<Gemlet>(fields);
}

Gemlet& setGemlet(Gemlet& g, const GemletChanges& changes) {
    if (changes.x)
        setGemletX(g, *changes.x);
    if (changes.y)
        setGemletY(g, *changes.y);
    if (changes.col)
        setGemletCol(g, *changes.col);
    if (changes.state)
        setGemletState(g, *changes.state);
    return g;
}

GemletPtr updateGemlet(const Gemlet& g, const GemletChanges& changes) {
    return makeGemlet({.x = pick(changes.x, g.x),
                       .y = pick(changes.y, g.y),
                       .col = pick(changes.col, g.col),
                       .state = pick(changes.state, g.state)});
}

Alist gemletToAlist(const Gemlet& g) {
    return {{"x", alistValue(gemletX(g))},
            {"y", alistValue(gemletY(g))},
            {"col", alistValue(gemletCol(g))},
            {"state", alistValue(gemletState(g))}};
}

GemletPtr alistToGemlet(const Alist& alist) {
    GemletPtr g = makeGemlet();
    for (const auto& [key, value] : alist) {
        if (key == "x")
            setGemletX(*g, fieldValue<int>(key, value));
        else if (key == "y")
            setGemletY(*g, fieldValue<int>(key, value));
        else if (key == "col")
            setGemletCol(*g, fieldValue<int>(key, value));
        else if (key == "state")
            setGemletState(*g, fieldValue<GemletState>(key, value));
    }
    return g;
}

} // namespace gemlets

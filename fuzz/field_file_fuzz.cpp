// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the field-file loader. Whatever the bytes, the loader either fills
// every cell with -1 or a colour code, or throws a FieldFileError that names the file and
// leaves the field as it was. The game relies on both: a cell out of range would index the
// colour images, and a half-loaded field would start a game no file describes. libFuzzer keeps
// the failing input in its own file.
#include "model/field.h"
#include "model/field_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace {

using gemlets::Field;

constexpr std::string_view fileName = "fuzzed-field.txt";

constexpr std::size_t cellCount = gemlets::fieldW * gemlets::fieldH;
// fileToField hands textToField at most this much of a file: the cells and their separators.
constexpr std::size_t bytesRead = cellCount + gemlets::fieldH;

// A field unlike anything a valid file loads in one go, so that a partial write shows.
Field startingField() {
    Field f = gemlets::emptyField();
    for (std::size_t i = 0; i < f.size(); ++i)
        f[i] = gemlets::visitedMark - static_cast<int>(i);
    return f;
}

[[noreturn]] void fail(const std::string& what, const Field& f) {
    std::fprintf(stderr, "field file fuzz: %s\n--- field ---\n%s", what.c_str(),
                 gemlets::fieldToText(f).c_str());
    std::abort();
}

// The field the text loads, or the starting field with a message when it is refused.
std::pair<Field, std::string> load(std::string_view text) {
    Field f = startingField();
    try {
        gemlets::textToField(text, f, fileName);
    } catch (const gemlets::FieldFileError& error) {
        const std::string message = error.what();
        if (message.rfind(std::string(fileName) + ": ", 0) != 0 || f != startingField())
            fail("refused without naming the file, or with the field changed: " + message, f);
        return {f, message};
    }
    if (f.size() != cellCount ||
        !std::ranges::all_of(f, [](int v) { return v == -1 || gemlets::isColour(v); }))
        fail("accepted, but a cell is missing or holds no colour code", f);
    return {f, ""};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer's buffer is exactly `size` bytes, so AddressSanitizer catches a read past it.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto whole = load(text);
    // fileToField reads no further than the cells and separators; the verdict on the full
    // text must therefore already be the verdict on that prefix.
    if (size > bytesRead && load(text.substr(0, bytesRead)) != whole)
        fail("the bytes after the last separator changed the result", whole.first);
    return 0;
}

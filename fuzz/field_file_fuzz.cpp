// Feeds arbitrary bytes to the field-file loader. Whatever the bytes, the loader either fills
// all 72 cells with -1 or a colour code, or throws a FieldFileError that names the file and
// leaves the field as it was. The game relies on both: a cell out of range would index the
// colour images, and a half-loaded field would start a game no file describes. libFuzzer keeps
// the failing input in its own file.
#include "model/field.h"
#include "model/field_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using gemlets::Field;

constexpr std::string_view fileName = "fuzzed-field.txt";

// fileToField hands textToField at most this much of a file: the cells and their separators.
constexpr std::size_t bytesRead = gemlets::fieldW * gemlets::fieldH + gemlets::fieldH;

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

struct Outcome {
    Field f = startingField();
    std::string message; // empty when accepted
};

Outcome load(std::string_view text) {
    Outcome outcome;
    try {
        gemlets::textToField(text, outcome.f, fileName);
    } catch (const gemlets::FieldFileError& error) {
        outcome.message = error.what();
        if (outcome.message.rfind(std::string(fileName) + ": ", 0) != 0 ||
            outcome.message.size() <= fileName.size() + 2)
            fail("rejected without naming the file and why: " + outcome.message, outcome.f);
        if (outcome.f != startingField())
            fail("rejected, but the field changed", outcome.f);
        return outcome;
    }
    if (outcome.f.size() != gemlets::emptyField().size())
        fail("the field no longer has 72 cells", outcome.f);
    for (int value : outcome.f)
        if (value != gemlets::emptyCell && !gemlets::isColour(value))
            fail("accepted, but a cell holds " + std::to_string(value), outcome.f);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer's buffer is exactly `size` bytes, so AddressSanitizer catches a read past it.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Outcome whole = load(text);
    // fileToField reads no further than the cells and separators; the verdict on the full
    // text must therefore already be the verdict on that prefix.
    if (size > bytesRead) {
        const Outcome prefix = load(text.substr(0, bytesRead));
        if (prefix.message.empty() != whole.message.empty() || prefix.f != whole.f)
            fail("the bytes after the last separator changed the result", whole.f);
    }
    return 0;
}

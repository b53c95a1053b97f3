// Feeds arbitrary bytes to the field-file loader. Whatever the bytes, the loader either fills
// all 72 cells with -1 or a colour code, or throws a FieldFileError that names the file and
// leaves the field as it was. The game relies on both: a cell out of range would index the
// colour images, and a half-loaded field would start a game no file describes.
#include "model/field.h"
#include "model/field_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using gemlets::Field;
using gemlets::FieldFileError;

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

// The input as C string literal text, so that a line end or a stray byte shows in the log.
std::string escaped(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '\n')
            out += "\\n\n";
        else if (ch == '\\')
            out += "\\\\";
        else if (byte >= 0x20 && byte < 0x7f)
            out += ch;
        else
            out += std::string("\\x") + digits[byte >> 4] + digits[byte & 0xf];
    }
    return out;
}

[[noreturn]] void fail(std::string_view what, std::string_view text, const Field& f) {
    std::fprintf(stderr, "field file fuzz: %.*s\n--- input, %zu bytes ---\n%s\n--- field ---\n%s",
                 static_cast<int>(what.size()), what.data(), text.size(), escaped(text).c_str(),
                 gemlets::fieldToText(f).c_str());
    std::abort();
}

// The outcome of one load: the field it left and the error, if any.
struct Outcome {
    Field f = startingField();
    bool rejected = false;
    std::string message;
};

Outcome load(std::string_view text) {
    Outcome outcome;
    try {
        gemlets::textToField(text, outcome.f, fileName);
    } catch (const FieldFileError& error) {
        outcome.rejected = true;
        outcome.message = error.what();
    }
    return outcome;
}

void check(std::string_view text, const Outcome& outcome) {
    const std::size_t cells = gemlets::fieldW * gemlets::fieldH;
    if (outcome.f.size() != cells)
        fail("the field no longer has 72 cells", text, outcome.f);
    if (outcome.rejected) {
        if (outcome.f != startingField())
            fail("rejected, but the field changed", text, outcome.f);
        if (outcome.message.find(fileName) == std::string::npos)
            fail("rejected with a message that does not name the file: " + outcome.message, text,
                 outcome.f);
        if (outcome.message.size() <= fileName.size() + 2)
            fail("rejected without saying why: " + outcome.message, text, outcome.f);
        return;
    }
    for (int value : outcome.f)
        if (value != gemlets::emptyCell && !gemlets::isColour(value))
            fail("accepted, but a cell holds " + std::to_string(value), text, outcome.f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer's buffer is exactly `size` bytes, so AddressSanitizer catches a read past it.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Outcome whole = load(text);
    check(text, whole);

    // fileToField reads no further than the cells and separators; the verdict on the full
    // text must therefore already be the verdict on that prefix.
    if (size > bytesRead) {
        const Outcome prefix = load(text.substr(0, bytesRead));
        if (prefix.rejected != whole.rejected || prefix.f != whole.f)
            fail("the bytes after the last separator changed the result", text, whole.f);
    }
    return 0;
}

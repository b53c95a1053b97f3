// SPDX-License-Identifier: MIT
// Where a game's text goes (its trace, a replay, a message): a handle on anything that takes
// write(data, size) and flush(), such as a std::ostream, which the desktop and the tests
// hand it, or a C stdio file, which the page does, so that the browser's build carries
// neither streams nor locales. A default handle throws the text away unformatted.
#pragma once

#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace gemlets {

class TextOut {
public:
    TextOut() = default;

    // Not explicit: a stream is handed over as it is (Game game{std::cout}).
    template <class Stream>
    requires requires(Stream& s, const char* data, std::ptrdiff_t size) {
        s.write(data, size);
        s.flush();
    }
    TextOut(Stream& stream)
        : target_(&stream), write_([](void* target, const char* data, std::size_t size) {
              static_cast<Stream*>(target)->write(data, static_cast<std::ptrdiff_t>(size));
          }),
          flush_([](void* target) { static_cast<Stream*>(target)->flush(); }) {}

    void write(std::string_view text) const {
        if (write_ != nullptr)
            write_(target_, text.data(), text.size());
    }
    void flush() const {
        if (flush_ != nullptr)
            flush_(target_);
    }
    // False for a default handle: nothing is worth formatting for it.
    bool keeps() const { return write_ != nullptr; }

private:
    void* target_ = nullptr;
    void (*write_)(void*, const char*, std::size_t) = nullptr;
    void (*flush_)(void*) = nullptr;
};

// A number in lower-case hexadecimal, a negative one after its sign ("-1").
struct Hex {
    long long value;
};
constexpr Hex hex(long long value) {
    return Hex{value};
}

inline const TextOut& operator<<(const TextOut& out, std::string_view text) {
    out.write(text);
    return out;
}

inline const TextOut& operator<<(const TextOut& out, char c) {
    out.write(std::string_view(&c, 1));
    return out;
}

// In decimal, as a stream writes it, or in another base.
template <std::integral Number> void writeNumber(const TextOut& out, Number number, int base = 10) {
    if (!out.keeps())
        return;
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number, base).ptr;
    out.write(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

inline const TextOut& operator<<(const TextOut& out, Hex number) {
    writeNumber(out, number.value, 16);
    return out;
}

template <std::integral Number>
requires(!std::same_as<Number, char> && !std::same_as<Number, bool>) const TextOut&
operator<<(const TextOut& out, Number number) {
    writeNumber(out, number);
    return out;
}

// Text kept in memory, to be handed on whole.
struct TextBuffer {
    std::string text;
    void write(const char* data, std::ptrdiff_t size) {
        text.append(data, static_cast<std::size_t>(size));
    }
    void flush() {}
};

// A C stdio file: the page's standard output and error.
struct FileOut {
    std::FILE* file;
    void write(const char* data, std::ptrdiff_t size) {
        std::fwrite(data, 1, static_cast<std::size_t>(size), file);
    }
    void flush() { std::fflush(file); }
};

} // namespace gemlets

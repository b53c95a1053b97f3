// SPDX-License-Identifier: MIT
// Where the benchmarks send the group-search trace: a stream that throws the text away after
// formatting it, and a real pipe(2) that a thread drains, as when the game's standard output
// goes to another program.
#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <streambuf>
#include <thread>

namespace gemlets::bench {

// Formatting still happens; the characters go nowhere. Counts them.
class DiscardingStream : public std::ostream {
public:
    DiscardingStream() : std::ostream(&buffer_) {}
    std::size_t written() const { return buffer_.written(); }

private:
    class Buffer : public std::streambuf {
    public:
        Buffer() { setp(chunk_.data(), chunk_.data() + chunk_.size()); }
        std::size_t written() const {
            return dropped_ + static_cast<std::size_t>(pptr() - pbase());
        }

    protected:
        int_type overflow(int_type ch) override;

    private:
        std::array<char, 1024> chunk_{};
        std::size_t dropped_ = 0;
    };
    Buffer buffer_;
};

// A stream into the write end of a pipe, buffered in 4 KiB chunks like the C library's
// standard output on a pipe; a thread reads the other end until it closes.
class PipeStream : public std::ostream {
public:
    // Throws std::system_error when the pipe cannot be made.
    PipeStream();
    // Flushes, closes the write end and waits for the reader to see the end.
    ~PipeStream() override;

    PipeStream(const PipeStream&) = delete;
    PipeStream& operator=(const PipeStream&) = delete;

private:
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(int fd) : fd_(fd) { setp(chunk_.data(), chunk_.data() + chunk_.size()); }

    protected:
        int_type overflow(int_type ch) override;
        int sync() override;

    private:
        bool writeAll();
        int fd_;
        std::array<char, 4096> chunk_{};
    };

    struct Ends {
        int read;
        int write;
    };
    static Ends openPipe();
    void drain();

    Ends ends_;
    Buffer buffer_;
    std::thread reader_;
};

} // namespace gemlets::bench

// SPDX-License-Identifier: MIT
#include "bench/trace_streams.h"

#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace gemlets::bench {

DiscardingStream::Buffer::int_type DiscardingStream::Buffer::overflow(int_type ch) {
    dropped_ += static_cast<std::size_t>(pptr() - pbase());
    setp(chunk_.data(), chunk_.data() + chunk_.size());
    if (!traits_type::eq_int_type(ch, traits_type::eof()))
        sputc(traits_type::to_char_type(ch));
    return traits_type::not_eof(ch);
}

PipeStream::Ends PipeStream::openPipe() {
    int fds[2];
    if (pipe(fds) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe");
    return {fds[0], fds[1]};
}

PipeStream::PipeStream()
    : std::ostream(nullptr), ends_(openPipe()), buffer_(ends_.write), reader_([this] { drain(); }) {
    rdbuf(&buffer_);
}

PipeStream::~PipeStream() {
    flush();
    close(ends_.write);
    reader_.join();
    close(ends_.read);
}

void PipeStream::drain() {
    std::array<char, 65536> sink;
    for (;;) {
        const ssize_t got = ::read(ends_.read, sink.data(), sink.size());
        if (got == 0 || (got < 0 && errno != EINTR))
            return;
    }
}

bool PipeStream::Buffer::writeAll() {
    const char* from = pbase();
    while (from < pptr()) {
        const ssize_t put = ::write(fd_, from, static_cast<std::size_t>(pptr() - from));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        from += put;
    }
    setp(chunk_.data(), chunk_.data() + chunk_.size());
    return true;
}

PipeStream::Buffer::int_type PipeStream::Buffer::overflow(int_type ch) {
    if (!writeAll())
        return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof()))
        sputc(traits_type::to_char_type(ch));
    return traits_type::not_eof(ch);
}

int PipeStream::Buffer::sync() {
    return writeAll() ? 0 : -1;
}

} // namespace gemlets::bench

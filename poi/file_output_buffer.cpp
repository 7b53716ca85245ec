#include "poi/file_output_buffer.h"

#include <cerrno>
#include <limits>

#if defined(_WIN32)
#include <io.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace tessarin {
namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

// The size the file may reach. The kernel signals SIGXFSZ for a write that
// starts at the limit, which kills a process that has not ignored it; the
// plug-in must not change its host's signal dispositions, so it stays below.
std::uint64_t fileSizeLimit() {
#if defined(_WIN32)
    return std::numeric_limits<std::uint64_t>::max();
#else
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(limit.rlim_cur);
#endif
}

// Writes all of data, going on after partial writes and interruptions.
bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
#if defined(_WIN32)
        const int written = ::_write(fd, data, static_cast<unsigned>(size));
#else
        const ssize_t written = ::write(fd, data, size);
#endif
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool flushToDisk(int fd) {
#if defined(_WIN32)
    return ::_commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

bool closeFile(int fd) {
#if defined(_WIN32)
    return ::_close(fd) == 0;
#else
    // After a failed close the descriptor is gone on Linux; never retry it.
    return ::close(fd) == 0 || errno == EINTR;
#endif
}

}  // namespace

FileOutputBuffer::FileOutputBuffer(int fd) : fd_(fd), room_(fileSizeLimit()), buffer_(kBufferBytes) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FileOutputBuffer::~FileOutputBuffer() {
    if (fd_ >= 0) closeFile(fd_);
}

bool FileOutputBuffer::drain() {
    if (failed_ || fd_ < 0) return false;
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    // Text mode on Windows adds a byte per line feed, but Windows has no size limit.
    if (size > room_ || !writeAll(fd_, pbase(), size)) {
        failed_ = true;
        return false;
    }
    room_ -= size;
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return true;
}

FileOutputBuffer::int_type FileOutputBuffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FileOutputBuffer::sync() { return drain() ? 0 : -1; }

bool FileOutputBuffer::finish() {
    const bool written = drain();
    const bool flushed = written && flushToDisk(fd_);
    const bool closed = fd_ >= 0 && closeFile(fd_);
    fd_ = -1;
    return written && flushed && closed;
}

}  // namespace tessarin

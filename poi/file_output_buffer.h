// A stream buffer that writes to an open file and sees every failure.
#pragma once

#include <cstdint>
#include <streambuf>
#include <vector>

namespace tessarin {

// Buffers what a std::ostream writes and hands it to the file descriptor fd
// with checked writes. The file never grows past the process's file size
// limit (RLIMIT_FSIZE): a write that would is refused as a failure instead,
// so no SIGXFSZ is raised and the process survives whatever its host does
// with that signal. On Windows fd is a C runtime descriptor (_open), whose
// text mode puts CR LF on disk.
class FileOutputBuffer : public std::streambuf {
public:
    // Takes ownership of fd, which must be open for writing at offset 0.
    explicit FileOutputBuffer(int fd);
    // Closes fd when finish() did not, without checking.
    ~FileOutputBuffer() override;
    FileOutputBuffer(const FileOutputBuffer&) = delete;
    FileOutputBuffer& operator=(const FileOutputBuffer&) = delete;

    // True once a write failed or was refused; the stream then has badbit.
    bool failed() const { return failed_; }

    // Writes what is buffered, forces the data to disk and closes fd.
    // False when the data could not be written, flushed or closed.
    bool finish();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();

    int fd_;
    std::uint64_t room_;  // bytes the file may still grow by
    bool failed_ = false;
    std::vector<char> buffer_;
};

}  // namespace tessarin

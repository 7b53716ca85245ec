#include "poi/replace_file.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tessarin {
namespace {

// The folder part of path, separator included ("" for a bare file name), so
// that the temporary file lands on the same volume and the final rename
// cannot turn into a copy.
std::string folderOf(const std::string& path) {
#if defined(_WIN32)
    const std::size_t cut = path.find_last_of("/\\:");
#else
    const std::size_t cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Creates an empty file under a name that did not exist before (exclusive
// create), so that no file of anyone else is ever overwritten. The name is
// short and fixed in shape so that it is valid wherever path itself is.
bool reserveTemporaryName(const std::string& folder, std::string& name) {
    static std::atomic<std::uint32_t> counter{0};
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".tessarin-%08x%04x.tmp",
                      static_cast<unsigned>(now ^ (now >> 32)), static_cast<unsigned>(counter++ & 0xffff));
        name = folder + suffix;
#if defined(_WIN32)
        const int fd = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _close(fd);
            return true;
        }
#else
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return true;
        }
#endif
        if (errno != EEXIST) return false;  // missing folder, no permission: no point retrying
    }
    return false;
}

// Forces the closed file's data to disk, so that after the rename a crash
// cannot leave the new name pointing at a file without its data.
bool flushToDisk(const std::string& name) {
#if defined(_WIN32)
    (void)name;  // MoveFileEx below is called with MOVEFILE_WRITE_THROUGH.
    return true;
#else
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return (::close(fd) == 0) && synced;
#endif
}

// Replaces target by source in one step; an existing target is replaced, not refused.
bool replaceTarget(const std::string& source, const std::string& target) {
#if defined(_WIN32)
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(source.c_str(), target.c_str()) == 0;
#endif
}

// Removes the temporary file on every way out unless it was renamed.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!name_.empty()) std::remove(name_.c_str());
    }
    const std::string& name() const { return name_; }
    void release() { name_.clear(); }

private:
    std::string name_;
};

}  // namespace

void replaceFileWith(const std::string& path, const std::function<void(std::ostream&)>& write, FileMode mode) {
    std::string name;
    if (!reserveTemporaryName(folderOf(path), name)) throw std::runtime_error("Cannot Create file: " + path);
    TemporaryFile temporary(name);

    {
        const std::ios::openmode binary = mode == FileMode::Binary ? std::ios::binary : std::ios::openmode{};
        std::ofstream out(temporary.name(), std::ios::out | std::ios::trunc | binary);
        if (!out.is_open()) throw std::runtime_error("Cannot Create file: " + path);
        write(out);
        // A full disk shows only when the buffer is handed to the system.
        out.flush();
        if (!out) throw std::runtime_error("Cannot Write file: " + path);
        out.close();
        if (out.fail()) throw std::runtime_error("Cannot Close file: " + path);
    }
    if (!flushToDisk(temporary.name())) throw std::runtime_error("Cannot Close file: " + path);
    if (!replaceTarget(temporary.name(), path)) throw std::runtime_error("Cannot Create file: " + path);
    temporary.release();
}

}  // namespace tessarin

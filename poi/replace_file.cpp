#include "poi/replace_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <stdexcept>

#include "poi/file_output_buffer.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
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

// Opens a new file for writing under a name that did not exist before
// (exclusive create), so that no file of anyone else is ever overwritten and
// nobody can slip another file in under the name. The name is short and
// fixed in shape so that it is valid wherever path itself is. Returns the
// descriptor, -1 when no such file can be made.
int createTemporary(const std::string& folder, FileMode mode, std::string& name) {
    static std::atomic<std::uint32_t> counter{0};
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".tessarin-%08x%04x.tmp",
                      static_cast<unsigned>(now ^ (now >> 32)), static_cast<unsigned>(counter++ & 0xffff));
        name = folder + suffix;
#if defined(_WIN32)
        const int translation = mode == FileMode::Binary ? _O_BINARY : _O_TEXT;
        const int fd = ::_open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_NOINHERIT | translation,
                               _S_IREAD | _S_IWRITE);
#else
        (void)mode;  // no line-end translation on POSIX
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
        if (fd >= 0) return fd;
        if (errno != EEXIST) return -1;  // missing folder, no permission: no point retrying
    }
    return -1;
}

// The replacement keeps who may read the file: an export the user made
// private stays private.
void copyPermissions(const std::string& from, int fd) {
#if defined(_WIN32)
    (void)from, (void)fd;  // a new file takes the folder's access rules
#else
    struct stat info {};
    if (::stat(from.c_str(), &info) == 0 && S_ISREG(info.st_mode)) (void)::fchmod(fd, info.st_mode & 0777);
#endif
}

// Replaces target by source in one step; an existing target is replaced, not refused.
bool replaceTarget(const std::string& source, const std::string& target) {
#if defined(_WIN32)
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    if (std::rename(source.c_str(), target.c_str()) != 0) return false;
    // Makes the new name itself survive a crash; the data is on disk already.
    const std::string folder = folderOf(target);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return true;
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

#if defined(_WIN32)

std::string whyNotReplaceable(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return "it is a folder";
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return "it is marked read-only";
    }
    // Reserved names (NUL, CON, COM1) and pipes are devices whatever their
    // attributes say; opening without any access right reads nothing.
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return "";
    const DWORD type = GetFileType(handle);
    CloseHandle(handle);
    if (type == FILE_TYPE_PIPE) return "it is a named pipe (FIFO)";
    return type == FILE_TYPE_DISK ? "" : "it is a device";
}

#else

std::string whyNotReplaceable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return errno == ENOENT ? "" : std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return "it is a folder";
    if (S_ISFIFO(info.st_mode)) return "it is a named pipe (FIFO)";
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "it is a device";
    if (!S_ISREG(info.st_mode)) return "it is not a regular file";
    // Without any write bit the user marked it read-only: refused even where
    // the permission bits would not bind, as on Windows.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return "it is marked read-only";
    // Replacing needs only the folder's permission; without this check another
    // user's file in a shared folder would be replaced.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return "you have no permission to write it";
    return "";
}

#endif

void replaceFileWith(const std::string& path, const std::function<void(std::ostream&)>& write, FileMode mode) {
    if (!whyNotReplaceable(path).empty()) throw std::runtime_error("Cannot Create file: " + path);
    std::string name;
    const int fd = createTemporary(folderOf(path), mode, name);
    if (fd < 0) throw std::runtime_error("Cannot Create file: " + path);
    TemporaryFile temporary(name);
    {
        FileOutputBuffer buffer(fd);
        copyPermissions(path, fd);
        std::ostream out(&buffer);
        write(out);
        out.flush();
        if (!out || buffer.failed()) throw std::runtime_error("Cannot Write file: " + path);
        if (!buffer.finish()) throw std::runtime_error("Cannot Close file: " + path);
    }
    if (!replaceTarget(temporary.name(), path)) throw std::runtime_error("Cannot Create file: " + path);
    temporary.release();
}

}  // namespace tessarin

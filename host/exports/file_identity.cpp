#include "host/exports/file_identity.h"

#include <cstdint>
#include <optional>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace zevkalon {
namespace {

using Identity = std::pair<std::uint64_t, std::uint64_t>;

#if defined(_WIN32)
// The C runtime's stat reports no inode on Windows; the file index does.
std::optional<Identity> identityOf(const std::string& path) {
    const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return std::nullopt;
    return Identity{info.dwVolumeSerialNumber,
                    (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}
#else
std::optional<Identity> identityOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return Identity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
#endif

// The folder part ("." when there is none) and the name part of path.
std::pair<std::string, std::string> splitPath(const std::string& path) {
#if defined(_WIN32)
    const std::size_t cut = path.find_last_of("/\\");
#else
    const std::size_t cut = path.find_last_of('/');
#endif
    if (cut == std::string::npos) return {".", path};
    return {cut == 0 ? path.substr(0, 1) : path.substr(0, cut), path.substr(cut + 1)};
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    const std::optional<Identity> first = identityOf(a), second = identityOf(b);
    if (first || second) return first == second;
    const auto [folderA, nameA] = splitPath(a);
    const auto [folderB, nameB] = splitPath(b);
    if (nameA != nameB) return false;
    const std::optional<Identity> inA = identityOf(folderA);
    return inA && inA == identityOf(folderB);
}

}  // namespace zevkalon

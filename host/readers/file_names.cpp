#include "host/readers/file_names.h"

#include <algorithm>
#include <cctype>

namespace zevkalon {

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool isSurfaceFileName(const std::string& path) { return endsWithNoCase(path, ".gii") || endsWithNoCase(path, ".obj"); }

}  // namespace zevkalon

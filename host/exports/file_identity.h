// Telling whether two paths name one file.
#pragma once

#include <string>

namespace zevkalon {

// True when a and b name the same file, however they are spelt: when both
// exist, the same device and inode (on Windows the same volume and file
// index), so that symbolic and hard links are seen through; when neither
// exists, the same name in the same existing folder. False when only one of
// them exists.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace zevkalon

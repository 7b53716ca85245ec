// A fresh folder per test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

namespace tessarin::testing {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder's path, without a trailing separator.
    const std::string& path() const { return path_; }
    // path() + "/" + name.
    std::string file(const std::string& name) const;
    // The names of the entries in the folder (or in a sub folder), sorted.
    std::vector<std::string> entries(const std::string& sub = "") const;

private:
    std::string path_;
};

// The whole content of a file, read in binary mode ("" when it cannot be read).
std::string readFile(const std::string& path);
// Writes text to a file in binary mode.
void writeFile(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);

}  // namespace tessarin::testing

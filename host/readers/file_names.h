// What the host reads from a file's name alone.
#pragma once

#include <string>

namespace zevkalon {

// True when text ends with suffix, letters compared without case.
bool endsWithNoCase(const std::string& text, const std::string& suffix);

// True when the name ends in ".gii" or ".obj" (any case): the surface
// formats the host reads.
bool isSurfaceFileName(const std::string& path);

}  // namespace zevkalon

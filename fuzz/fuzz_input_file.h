// The NIfTI and GIFTI libraries read from a path: each input goes to a file
// in a per-process temporary folder first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessarin::fuzz {

// Writes data to a file named fileName (its extension chooses the format)
// in this process's temporary folder and returns the path. Aborts when the
// file cannot be written: a fuzz run without its input proves nothing.
std::string writeInputFile(const std::uint8_t* data, std::size_t size, const std::string& fileName);

}  // namespace tessarin::fuzz

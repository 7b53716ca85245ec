// Writing a file so that readers only ever see the old file or the complete new one.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace tessarin {

// How the stream that fills the file treats line ends.
enum class FileMode {
    Text,    // text mode: CR LF line ends on Windows, as the host's readers expect
    Binary,  // bytes as written, for formats with their own encoding
};

// Why whatever stands at path must not be replaced by a new file, or "" when
// it may be: nothing is there yet, or a regular file (a symbolic link is
// judged by what it points to) that is not marked read-only (no write
// permission bit at all on POSIX, FILE_ATTRIBUTE_READONLY on Windows) and
// that this process could open for writing. Otherwise one of: "it is a
// folder", "it is a named pipe (FIFO)", "it is a device", "it is not a
// regular file", "it is marked read-only", "you have no permission to write
// it", or the system's reason why it cannot be examined. Never opens path.
std::string whyNotReplaceable(const std::string& path);

// Writes the file at path through a fresh temporary file in the same folder:
// write(out) fills a stream opened in the given mode, every write is
// checked, the data is flushed to disk, and only then does the temporary
// file replace path in one step (taking over the permission bits of the file
// it replaces). Readers see the old file or the whole new one, never a
// fragment; a process killed meanwhile leaves the old file as it was.
//
// On failure the temporary file is removed, whatever stood at path before is
// left untouched, and std::runtime_error is thrown with one of these texts:
//   "Cannot Create file: " + path  the file cannot be created or replaced
//                                  (missing folder, no permission, locked,
//                                  or whyNotReplaceable(path) is not empty)
//   "Cannot Write file: " + path   writing failed (a full disk, the file
//                                  size limit of the process)
//   "Cannot Close file: " + path   closing or flushing to disk failed
// An exception thrown by write itself passes through after the same cleanup.
void replaceFileWith(const std::string& path, const std::function<void(std::ostream&)>& write,
                     FileMode mode = FileMode::Text);

}  // namespace tessarin

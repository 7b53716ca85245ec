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

// Writes the file at path through a fresh temporary file in the same folder:
// write(out) fills a stream opened in the given mode, the
// stream is checked after writing and after closing, the data is flushed to
// disk, and only then does the temporary file replace path in one step.
//
// On failure the temporary file is removed, whatever stood at path before is
// left untouched, and std::runtime_error is thrown with one of these texts:
//   "Cannot Create file: " + path  the file cannot be created or replaced
//                                  (missing folder, no permission, locked)
//   "Cannot Write file: " + path   writing failed (for instance a full disk)
//   "Cannot Close file: " + path   closing or flushing to disk failed
// An exception thrown by write itself passes through after the same cleanup.
void replaceFileWith(const std::string& path, const std::function<void(std::ostream&)>& write,
                     FileMode mode = FileMode::Text);

}  // namespace tessarin

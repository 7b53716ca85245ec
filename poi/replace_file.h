// Writing a file so that readers only ever see the old file or the complete new one.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

namespace tessarin {

// Writes the file at path through a fresh temporary file in the same folder:
// write(out) fills a text-mode stream (CR LF line ends on Windows), the
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
void replaceFileWith(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace tessarin

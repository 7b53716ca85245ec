// Every file that zevkalon writes after a run goes through here.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "poi/replace_file.h"

namespace zevkalon {

// Writes path atomically: write(out) fills a temporary file in the same
// folder, which replaces path only once it is complete, checked and flushed
// to disk. Readers see the old file or the whole new one, never a fragment;
// a kill meanwhile leaves the old file; no temporary file is left behind on
// any error. Nothing that stands at path is removed or changed unless it is
// replaced by the complete new file, and only a regular file that the user
// may write and has not marked read-only is replaced (see
// tessarin::whyNotReplaceable): a folder, a FIFO or a device is refused,
// never opened. what names the export in messages (e.g. "--export-label-gii").
// Throws HostError(kExitExportFailed) "what path: reason" on any failure,
// with whatever stood at path left as it was.
void writeOutputFile(const std::string& path, const std::string& what,
                     const std::function<void(std::ostream&)>& write,
                     tessarin::FileMode mode = tessarin::FileMode::Binary);

// The refusal of writeOutputFile for a target that must not be replaced,
// for checks before the run: throws HostError(kExitExportFailed)
// "what path: cannot replace it: reason" when whyNotReplaceable(path) gives
// a reason, else does nothing.
void checkReplaceable(const std::string& path, const std::string& what);

}  // namespace zevkalon

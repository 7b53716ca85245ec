// Every file that zevkalon writes after a run goes through here.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>

#include "poi/replace_file.h"

namespace zevkalon {

// Writes path atomically: write(out) fills a temporary file in the same
// folder, which replaces path only once it is complete, checked and flushed
// to disk. Readers see the old file or the whole new one, never a fragment,
// and no temporary file is left behind. what names the export in messages
// (e.g. "--export-label-gii").
// Throws HostError(kExitExportFailed) "what path: reason" on any failure,
// with whatever stood at path left as it was.
void writeOutputFile(const std::string& path, const std::string& what,
                     const std::function<void(std::ostream&)>& write,
                     tessarin::FileMode mode = tessarin::FileMode::Binary);

}  // namespace zevkalon

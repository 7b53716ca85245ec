// One invocation of zevkalon, from parsed options to exit status.
#pragma once

#include <iosfwd>
#include <string>

#include "host/app/cli_options.h"
#include "host/exit_codes.h"

namespace zevkalon {

// The VOI file path that the host reports for a volume: the volume path with
// a trailing ".nii.gz", ".nii", ".hdr.gz" or ".hdr" (any case) replaced by
// ".voi", or ".voi" appended when it has none of them.
std::string defaultVoiFile(const std::string& volumePath);

// Checks a VOI file path before anything runs. Throws HostError
// (kExitBadInput) when it is longer than the host's field, when its file name
// has no extension although a folder or "./" before it has a dot (the
// plug-in would then cut the path at that dot), or when its folder does not
// exist (the POI file is written there).
void checkVoiFile(const std::string& voiFile);

// Runs what the options ask for: reads and checks every input, then loads
// the plug-in and drives it with the documents, then exports. Nothing is
// loaded or written before every input has been accepted. log receives the
// host's log pane (and --help); messages the host's messages.
// Returns the exit status; throws HostError for a refused input, also when
// memory runs out while a file is read.
ExitCode runHost(const HostOptions& options, std::ostream& log, std::ostream& messages);

}  // namespace zevkalon

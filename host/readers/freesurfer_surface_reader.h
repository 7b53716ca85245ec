// FreeSurfer's binary triangle surfaces (lh.white, rh.pial, ...).
#pragma once

#include <string>

#include "host/readers/surface_file.h"

namespace zevkalon {

// True when the file starts with the magic number of a FreeSurfer triangle
// surface (bytes FF FF FE). False for a file that cannot be read.
bool isFreeSurferSurface(const std::string& path);

// Reads a FreeSurfer triangle surface: the creation line, the vertex and
// triangle counts, big-endian float32 coordinates and int32 indices, then
// the optional volume-geometry footer. With a valid footer the result's space
// is Tkregister with the footer's geometry; a footer that declares scanner
// coordinates (useRealRAS 1) gives Scanner; no footer, or one marked invalid
// or of an unknown kind, gives TkregisterUnknown with the reason.
// Throws HostError(kExitBadInput) naming the file for: a file that cannot be
// opened, another magic number (a quadrangle surface among them), counts that
// are negative or larger than the file holds, or a damaged footer.
// The result is not yet validated as a whole (see validateSurface).
SurfaceFile readFreeSurferSurface(const std::string& path);

}  // namespace zevkalon

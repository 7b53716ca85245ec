// GIFTI surfaces (.surf.gii).
#pragma once

#include <string>

#include "host/readers/surface_file.h"

namespace zevkalon {

// True when this build can read GIFTI files (the Windows build cannot).
bool canUseGifti();

// Reads the first POINTSET array (N x 3 coordinates, float or double) and the
// first TRIANGLE array (M x 3 indices, any integer type) of a GIFTI file, in
// either index order. Throws HostError(kExitBadInput) naming the file for: a
// file that cannot be read as GIFTI, a missing POINTSET or TRIANGLE array,
// an array that is not N x 3, or a data type that cannot hold its content.
// The result is not yet validated as a whole (see validateSurface).
//
// Nearly every surface file is decoded in the one pass of the structure
// check (see GiftiDirectReader); any other goes to the GIFTI library.
SurfaceFile readGiftiSurface(const std::string& path);

// The same, always through the GIFTI library (as files the direct pass
// leaves undecided are read): the reference the direct pass must match.
SurfaceFile readGiftiSurfaceWithLibrary(const std::string& path);

}  // namespace zevkalon

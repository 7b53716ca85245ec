// Wavefront OBJ surfaces.
#pragma once

#include <iosfwd>
#include <string>

#include "host/readers/surface_file.h"

namespace zevkalon {

// Parses the OBJ subset that describes a triangle surface:
//   v x y z [...]   a vertex (values after the third are ignored, e.g. colours)
//   vn x y z        a normal; when present, normal i belongs to vertex i
//   f a b c ...     a face of 1-based vertex indices, also "a/t", "a/t/n" and
//                   "a//n"; negative indices count back from the last vertex
//                   read so far. Polygons are cut into the fan (v0, vi, vi+1).
// Other statements (vt, o, g, s, usemtl, mtllib, l, comments) are ignored.
// sourceName names the input in messages. Throws HostError(kExitBadInput)
// with "sourceName:line: problem" for: a vertex or normal with too few or
// malformed numbers, or one that is not finite; a face with fewer than three
// vertices; a face index of 0, malformed, or outside the vertices read so
// far; a face whose normal index differs from its vertex index while the
// file has normals. The result is not yet validated as a whole (see
// validateSurface).
SurfaceFile parseObj(std::istream& in, const std::string& sourceName);

// Opens and parses a file; one that cannot be opened is refused.
SurfaceFile readObj(const std::string& path);

}  // namespace zevkalon

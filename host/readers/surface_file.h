// A triangle surface as read from a file, before the host maps it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/documents/volume_geometry.h"

namespace zevkalon {

// What a file says about the space of its coordinates.
enum class CoordinateSpace {
    Unstated,           // nothing: taken as scanner (world) coordinates
    Tkregister,         // FreeSurfer's tkregister surface RAS of the file's volume geometry
    Scanner,            // a FreeSurfer file that declares scanner RAS
    TkregisterUnknown,  // a FreeSurfer file without usable volume geometry (spaceDetail says why)
};

// Coordinates in mm, in double so that mapping to the voxel grid loses
// nothing before the final conversion to float.
struct SurfaceFile {
    std::vector<double> positions;         // x, y, z per vertex
    std::vector<double> normals;           // x, y, z per vertex, or empty when the file has none
    std::vector<std::int32_t> triangles;   // three vertex indices per triangle
    CoordinateSpace space = CoordinateSpace::Unstated;
    VolumeGeometry geometry;               // the volume the surface was made on (Tkregister)
    std::string spaceDetail;               // why no geometry is usable (TkregisterUnknown)
    std::string structure;                 // the file's AnatomicalStructurePrimary, or empty

    std::int64_t nrOfVertices() const { return static_cast<std::int64_t>(positions.size() / 3); }
    std::int64_t nrOfTriangles() const { return static_cast<std::int64_t>(triangles.size() / 3); }
};

// Checks what every reader's result must satisfy before the host uses it.
// Throws HostError(kExitBadInput) with "path: problem" for: no vertices, no
// triangles, a coordinate or normal that is not a finite number, a triangle
// index outside 0 .. vertices - 1, a normal count other than the vertex
// count, or more vertices than a 32-bit index can address.
void validateSurface(const SurfaceFile& surface, const std::string& path);

// Reads a surface, recognised by its first bytes (a FreeSurfer triangle
// surface such as lh.white, whatever its name) or else by its file name:
// ".gii" (GIFTI, e.g. lh.white.surf.gii) or ".obj" (Wavefront OBJ),
// case-insensitive; then validates it. Throws HostError(kExitBadInput) for
// another format or any reader's refusal.
SurfaceFile readSurface(const std::string& path);

}  // namespace zevkalon

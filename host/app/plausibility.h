// Checks for inputs and results that are almost surely not what the user
// meant, though nothing in them is broken: each finding is one warning
// that names the likely cause (empty: nothing to say).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/documents/host_mesh.h"
#include "poi/poi_file.h"

namespace zevkalon {

// Fewer than half of the vertices have their own voxel (the plug-in's
// sample at offset 0) inside the volume: the surface and the volume are
// probably not in the same space. dims: the volume's size in voxels; mesh
// positions in its voxel grid.
std::string verticesOutsideWarning(const HostMesh& mesh, const std::int32_t (&dims)[3], const std::string& surfacePath,
                                   const std::string& volumePath);

// The surface is closed and its normals point into the space it encloses:
// the plug-in's From and To then look the wrong way. Orientation is judged
// from the enclosed (signed) volume and how the normals agree with the
// triangles' winding, so it holds for normals of the file and computed
// ones alike, and for any voxel grid (mirrored ones included).
bool normalsPointInwards(const HostMesh& mesh);
// flipped: the normals are the file's turned around by --flip-normals.
std::string inwardNormalsWarning(const std::string& surfacePath, bool flipped);

// So many distinct values that the volume looks like an intensity image
// (a T1, a probability map) rather than labels.
std::string manyLabelsWarning(std::size_t labels, const std::string& volumePath);

// The run's POIs are all empty.
std::string emptyPoisWarning(const tessarin::POIFile& pois);

}  // namespace zevkalon

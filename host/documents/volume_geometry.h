// FreeSurfer's description of a volume's voxel grid, and the coordinate
// systems it defines: scanner RAS and "tkregister" surface RAS.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/documents/affine.h"

namespace zevkalon {

// What FreeSurfer keeps of a volume (an MGH header, the geometry footer of a
// surface file, a GIFTI surface's VolGeom metadata): the grid size, the voxel
// size, the RAS direction of each voxel axis and the RAS position of the
// volume's centre.
struct VolumeGeometry {
    std::array<std::int32_t, 3> dims = {0, 0, 0};   // width, height, depth (voxels)
    std::array<double, 3> voxelSize = {1, 1, 1};    // mm along each axis
    std::array<double, 3> xras = {-1, 0, 0};        // direction of the first voxel axis
    std::array<double, 3> yras = {0, 0, -1};
    std::array<double, 3> zras = {0, 1, 0};
    std::array<double, 3> cras = {0, 0, 0};         // centre (mm, scanner RAS)
};

// Returns an empty text when the geometry is usable, else the problem: a size
// below 1, a voxel size that is not a positive finite number, a direction or
// centre that is not finite, or directions that do not span space.
std::string geometryProblem(const VolumeGeometry& geometry);

// Voxel index to scanner RAS (mm): direction columns scaled by the voxel
// sizes, placed so that voxel dims / 2 lies at the centre.
Affine voxelToScanner(const VolumeGeometry& geometry);

// Voxel index to tkregister surface RAS: the same grid in FreeSurfer's
// conformed orientation (L, I, A), centred on the origin; only the size and
// the voxel size of the geometry count.
Affine voxelToTkregister(const VolumeGeometry& geometry);

// Tkregister surface RAS to scanner RAS: voxelToScanner . inverse(voxelToTkregister).
// For a conformed volume this adds the centre and nothing else.
// Precondition: geometryProblem(geometry) is empty.
Affine tkregisterToScanner(const VolumeGeometry& geometry);

// "256 x 256 x 256 voxels of 1 x 1 x 1 mm, centre 0.5 -16.5 19.5", for messages.
std::string describeGeometry(const VolumeGeometry& geometry);

}  // namespace zevkalon

// Mapping volumes of interest onto the vertices of a surface mesh.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// The voxel grid that the VOIs live on, and how their voxel triples are coded.
struct VoxelGrid {
    std::int32_t dimX = 0;  // first axis, runs fastest
    std::int32_t dimY = 0;
    std::int32_t dimZ = 0;
    std::int32_t orientationCode = 0;  // only compared with 2
    std::int32_t coordsType = 0;       // 3: centred coordinates; anything else: plain indices
};

// The voxels of one VOI: count consecutive int32 triples (c0, c1, c2).
struct VoxelTriples {
    const std::int32_t* data = nullptr;
    std::int32_t count = 0;
};

// Supplies the voxels of VOI k. The triples need only stay valid until the
// next call of the fetcher.
using VoxelFetcher = std::function<VoxelTriples(std::int32_t voi)>;

// Returns one ascending, repeat-free vertex list per VOI (entry k for VOI k):
// vertex j joins VOI k when a sample point (X + 0.5) + s * N, for an offset s
// between from and to in steps of step (single precision, running sum), falls
// into a voxel of VOI k.
//
// fetchVoxels is called exactly once per VOI, from nrOfVOIs - 1 down to 0,
// before any vertex is sampled; it is not called when nrOfVOIs is 0.
// Preconditions: step > 0.
std::vector<VertexList> mapVOIsToVertices(std::int32_t nrOfVOIs, const VoxelGrid& grid,
                                          const SurfaceMesh& mesh, float from, float to, float step,
                                          const VoxelFetcher& fetchVoxels);

}  // namespace tessarin

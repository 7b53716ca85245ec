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
    std::int32_t count = 0;  // 0 or below: no voxels
};

// Supplies the voxels of VOI k. The triples need only stay valid until the
// next call of the fetcher.
using VoxelFetcher = std::function<VoxelTriples(std::int32_t voi)>;

// Returns one ascending, repeat-free vertex list per VOI (entry k for VOI k;
// an empty result for nrOfVOIs of 0 or below).
//
// Voxels: a triple (c0, c1, c2) is cell (c0, c1, c2); with coordsType 3 it is
// cell (128 - c1, 128 - c2, c0 + 128) when orientationCode is 2, else
// (128 - c1, 128 - c2, 128 - c0), the centre 128 being fixed whatever the
// grid size. A cell outside 0 .. dim - 1 on any axis is skipped.
//
// Sampling: vertex j joins VOI k when one of its samples lies in a voxel of
// VOI k. Sample s of vertex j has the single-precision coordinates
// x = (X + 0.5f) + s * NX (likewise y, z; normals used as stored), each
// truncated toward zero; a coordinate outside 0 .. dim - 1, or one with no
// int32 value (NaN, infinite, huge), puts the sample outside. The offsets s
// are 0, +d for every running sum d (step, step + step, ...) with d <= to,
// and -d for every running sum with d <= -from.
//
// Ranges: any from and to are accepted and the call always ends. A range
// beyond the volume's reach gives the same result as one that just covers it
// (offsets whose samples cannot reach the volume are not evaluated), and a
// range past the point where the running sum stops growing (2097152 for step
// 0.1) adds nothing further, so From = -1e7, To = 1e7 or infinite bounds
// cost about as much as a range spanning the volume. Runs of offsets whose
// samples provably stay in one cell are stepped over, so short normals do
// not multiply the work either. A NaN bound allows no
// offsets on its side; offset 0 is always sampled. A step that is not above
// 0 (or NaN) leaves offset 0 alone.
//
// Host order: fetchVoxels is called exactly once per VOI, from nrOfVOIs - 1
// down to 0, before any vertex is sampled (also when the mesh has no
// vertices); it is not called when nrOfVOIs is 0 or below.
//
// Memory: one label per voxel (1 byte, 2 once more than 256 distinct VOI
// overlaps exist, 4 beyond 65,536), a table of the distinct sets of VOIs that
// share a voxel, and the results; not one mask per VOI.
//
// Speed: a vertex's samples are walked cell by cell rather than offset by
// offset (a run of offsets that provably stays in one cell is skipped after
// one exact check), and the labels of the cells a vertex met are read
// together, so the cost follows the cells crossed, not the offsets.
//
// Throws std::length_error when dimX x dimY x dimZ is too large to address
// (before any fetch), std::bad_alloc when memory runs out, and whatever
// fetchVoxels throws. Grids with a size of 0 or below on any axis have no
// voxels: every list is empty.
std::vector<VertexList> mapVOIsToVertices(std::int32_t nrOfVOIs, const VoxelGrid& grid,
                                          const SurfaceMesh& mesh, float from, float to, float step,
                                          const VoxelFetcher& fetchVoxels);

}  // namespace tessarin

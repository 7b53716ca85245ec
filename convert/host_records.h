// Views of the host's records for the geometry layer, which knows nothing of the host.
#pragma once

#include "geometry/surface_mesh.h"
#include "geometry/voi_mapping.h"
#include "shell/host_api.h"

namespace tessarin {

// The mesh of the surface document. The view borrows the host's arrays,
// which stay valid for the whole run.
SurfaceMesh surfaceMeshOf(const SRFInfo& srf);

// The voxel grid of the volume document and the coding of its VOI voxels.
VoxelGrid voxelGridOf(const VMRHeader& header, const VOIsInfo& vois);

// A fetcher for mapVOIsToVertices: each call asks the host for VOI k with
// zkGetVOI(k, info) and hands back its voxel triples (none when the host
// returns no array or a negative count). info must outlive the fetcher.
VoxelFetcher hostVoxelFetcher(VOIInfo& info);

}  // namespace tessarin

// The surface mesh as the host's surface document holds it.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/mesh_data.h"
#include "host/documents/neighbour_lists.h"

namespace zevkalon {

// One array per coordinate, as the SRF record hands them out, so the record
// points into the document and nothing is copied for the plug-in.
struct HostMesh {
    std::vector<float> x, y, z;           // positions, voxel grid
    std::vector<float> nx, ny, nz;        // normals, one per vertex
    std::vector<std::int32_t> triangles;  // three indices per triangle
    NeighbourLists neighbours;

    std::int32_t nrOfVertices() const { return static_cast<std::int32_t>(x.size()); }
    std::int32_t nrOfTriangles() const { return static_cast<std::int32_t>(triangles.size() / 3); }
};

// Takes over a mesh's positions, normals and triangles and builds the
// neighbour lists from the triangles (those of mesh are not used).
HostMesh hostMesh(tessarin::MeshData mesh);

}  // namespace zevkalon

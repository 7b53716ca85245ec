// A read-only view of a triangle mesh held in plain arrays by someone else.
#pragma once

#include <cstdint>

namespace tessarin {

struct MeshIndex;

// Non-owning view of the surface mesh that every geometry operation reads.
// The arrays belong to the caller (in the plug-in: the host's surface
// document) and must outlive every call that receives the view.
//
// Preconditions shared by all operations: every triangle entry and every
// neighbour entry is a vertex index in 0 .. nrOfVertices - 1. No operation
// checks this; lists built from the same mesh satisfy it.
struct SurfaceMesh {
    std::int32_t nrOfVertices = 0;
    // Positions and normals, nrOfVertices entries each. Normals are used as
    // stored, not normalised.
    const float* vertexX = nullptr;
    const float* vertexY = nullptr;
    const float* vertexZ = nullptr;
    const float* normalX = nullptr;
    const float* normalY = nullptr;
    const float* normalZ = nullptr;
    // Three vertex indices per triangle: triangle t at 3t, 3t + 1, 3t + 2.
    std::int32_t nrOfTriangles = 0;
    const std::int32_t* triangles = nullptr;
    // Adjacency: vertex v has nrOfNeighbours[v] neighbours, stored in the row
    // neighbours[v] in the order in which operations visit them.
    const std::int32_t* nrOfNeighbours = nullptr;
    const std::int32_t* const* neighbours = nullptr;
    // Optional tables derived from the arrays above (geometry/mesh_index.h),
    // for runs of many operations on one mesh; null is always allowed.
    // Precondition: when set, it was built from this very mesh.
    const MeshIndex* index = nullptr;
};

}  // namespace tessarin

// A triangle mesh that owns its arrays, and the adjacency built from its triangles.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/surface_mesh.h"

namespace tessarin {

// For each vertex, every distinct vertex that shares a triangle with it, in
// ascending order. Preconditions: triangles.size() is a multiple of 3 and
// every entry lies in 0 .. nrOfVertices - 1.
std::vector<std::vector<std::int32_t>> buildNeighbourLists(std::int32_t nrOfVertices,
                                                           const std::vector<std::int32_t>& triangles);

// A mesh in plain arrays (struct of arrays, as the host's surface document
// holds it). view() hands out a SurfaceMesh that stays valid while this
// object lives and is not changed.
class MeshData {
public:
    std::vector<float> x, y, z;        // positions
    std::vector<float> nx, ny, nz;     // normals, one per vertex
    std::vector<std::int32_t> triangles;  // three indices per triangle
    std::vector<std::vector<std::int32_t>> neighbours;

    std::int32_t nrOfVertices() const { return static_cast<std::int32_t>(x.size()); }
    std::int32_t nrOfTriangles() const { return static_cast<std::int32_t>(triangles.size() / 3); }

    // Rebuilds neighbours from triangles (ascending, distinct).
    void buildNeighbours();
    // Sets every normal to the normalised sum of the unnormalised face normals
    // of the vertex's triangles (a vertex without triangles gets 0, 0, 0).
    void computeNormals();
    // A view for the geometry operations. Call again after any change.
    SurfaceMesh view() const;

private:
    mutable std::vector<std::int32_t> neighbourCounts_;
    mutable std::vector<const std::int32_t*> neighbourRows_;
};

}  // namespace tessarin

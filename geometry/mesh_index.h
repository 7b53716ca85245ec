// Facts and tables derived once from a mesh, so that operations called once
// per POI need not scan the whole mesh each time.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/surface_mesh.h"

namespace tessarin {

// Attach one to a SurfaceMesh (its `index`) for a run of many operations on
// the same mesh. It is optional: every operation gives exactly the same
// result without it, only more slowly.
struct MeshIndex {
    // Only the triangle tables of the index; mutualRows stays false. Cost:
// O(vertices + triangles).
MeshIndex buildTriangleIndex(const SurfaceMesh& mesh);

// Whether every neighbour relation goes both ways (w in v's row exactly
    // when v is in w's row), as in any mesh whose rows come from triangles.
    // Then connected pieces do not depend on where a search starts, and
    // "who names v" is v's own row.
    bool mutualRows = false;
    // Triangles grouped by their first corner, ascending within a group: the
    // triangles whose first corner is v are
    // trianglesByFirstCorner[firstTriangleOf[v] .. firstTriangleOf[v + 1]).
    std::vector<std::int32_t> firstTriangleOf;
    std::vector<std::int32_t> trianglesByFirstCorner;
    // Only when the rows are not mutual: the rows turned around. The vertices
    // whose rows name v are namedBy[namedByStart[v] .. namedByStart[v + 1]),
    // ascending, a vertex repeated as often as its row names v.
    std::vector<std::int32_t> namedByStart;
    std::vector<std::int32_t> namedBy;
};

// Builds the index of a mesh. Preconditions: every triangle corner and
// neighbour entry lies in 0 .. nrOfVertices - 1 (a checked host record).
// Cost: O(vertices + triangles + neighbour entries).
MeshIndex buildMeshIndex(const SurfaceMesh& mesh);

// Only the triangle tables of the index; mutualRows stays false. Cost:
// O(vertices + triangles).
MeshIndex buildTriangleIndex(const SurfaceMesh& mesh);

// Whether every neighbour relation of the mesh is mutual (see MeshIndex).
bool neighbourRowsAreMutual(const SurfaceMesh& mesh);

// True when the mesh carries an index that says its rows are mutual.
inline bool hasMutualRows(const SurfaceMesh& mesh) { return mesh.index != nullptr && mesh.index->mutualRows; }

}  // namespace tessarin

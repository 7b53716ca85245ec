// Tiny hand-built meshes for the tests.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/mesh_data.h"

namespace tessarin::testing {

// A mesh with the given adjacency rows, stored exactly as given (no sorting),
// no triangles, and every vertex at the origin. For tests that fix the order
// in which neighbours are visited.
MeshData meshWithNeighbours(const std::vector<std::vector<std::int32_t>>& rows);

}  // namespace tessarin::testing

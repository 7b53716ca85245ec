// Simple meshes built in code: for the demo scene, the benchmarks and the tests.
#pragma once

#include <cstdint>

#include "geometry/mesh_data.h"

namespace tessarin {

// A sphere made by subdividing an icosahedron: 10 * 4^subdivisions + 2
// vertices (subdivisions 6: 40,962; 7: 163,842), centred at (cx, cy, cz).
// Vertex order is deterministic; normals point outwards, neighbours ascending.
// Preconditions: 0 <= subdivisions <= 9.
MeshData makeIcosphere(int subdivisions, float radius, float cx, float cy, float cz);

// A flat grid of columns x rows vertices in the plane z = 0, spacing apart,
// vertex (i, j) at index i + j * columns, each square cut into two triangles.
// Normals point along +z, neighbours ascending. Preconditions: columns, rows >= 2.
MeshData makeGrid(std::int32_t columns, std::int32_t rows, float spacing);

}  // namespace tessarin

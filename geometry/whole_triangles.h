// The triangles that lie wholly inside a vertex set, and their areas.
#pragma once

#include <cstdint>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"
#include "geometry/vertex_bits.h"

namespace tessarin {

// Area of triangle t. The expression, its order and single precision are
// what stored area figures were computed with; keep them as they are:
// 0.5f * sqrt(nx * nx + nz * nz + ny * ny) of the cross product n of the
// edges P1 - P0 and P2 - P0.
float triangleArea(const SurfaceMesh& mesh, std::int32_t t);

// The triangles whose three corners are members, ascending: the order in
// which a scan over all triangles meets them, so sums over them come out
// bit for bit as that scan's. With a mesh index only the triangles whose
// first corner is in `vertices` are looked at; without one, all of them.
// Precondition: the members are exactly the entries of vertices (repeats
// allowed).
void findWholeTriangles(const VertexList& vertices, const VertexBits& members, const SurfaceMesh& mesh,
                        std::vector<std::int32_t>& whole);

}  // namespace tessarin

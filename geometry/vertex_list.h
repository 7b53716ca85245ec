// Vertex sets on a surface mesh.
#pragma once

#include <cstdint>
#include <vector>

namespace tessarin {

// A vertex index into the mesh's vertex arrays, 0 .. NrOfVertices - 1.
using VertexIndex = std::int32_t;

// A growable list of vertex indices. Each operation states the order of the
// lists it returns; that order is part of its contract.
using VertexList = std::vector<VertexIndex>;

// An ordered list of vertex lists: one per connected patch, or one per VOI.
using PatchList = std::vector<VertexList>;

}  // namespace tessarin

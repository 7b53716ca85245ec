// Generated meshes, vertex sets and POI files for the differential tests and
// the benchmarks of the vertex-set operations.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "geometry/mesh_data.h"
#include "geometry/vertex_list.h"
#include "poi/poi_file.h"

namespace tessarin::testing {

// b's vertices appended after a's (indices shifted by a's vertex count),
// moved by offset along x, with adjacency rebuilt: two components.
MeshData combineMeshes(const MeshData& a, const MeshData& b, float offset);

// The mesh without the triangles that touch any of the given vertices; those
// vertices stay, without neighbours. Adjacency rebuilt (ascending).
MeshData withoutTrianglesAt(const MeshData& mesh, const std::vector<std::int32_t>& vertices);

// Every neighbour row put in a random order, so that no operation can rely on
// ascending rows.
void shuffleNeighbourRows(MeshData& mesh, std::mt19937& rng);

// Some neighbour relations made one-way: each row entry is dropped with
// probability `fraction`, while the reverse entry stays. Meshes built from
// triangles never do this; a host's rows might.
void makeSomeRowsOneWay(MeshData& mesh, double fraction, std::mt19937& rng);

// Every row entry replaced by a random vertex (row lengths kept): rows that
// no mesh has, mostly one-way, the hardest input for the region bookkeeping.
void randomizeRows(MeshData& mesh, std::mt19937& rng);

// Each vertex with probability density; then up to `repeats` random entries
// listed again; ascending when `ascending`, else shuffled.
VertexList randomSubset(std::int32_t nrOfVertices, double density, int repeats, bool ascending, std::mt19937& rng);

// A connected ball of about `size` vertices grown breadth-first from a random
// seed, with about `holeFraction` of its inner vertices dropped again; in
// discovery order.
VertexList randomBlob(const MeshData& mesh, std::int32_t size, double holeFraction, std::mt19937& rng);

// A POI file whose records hold the given lists, counts in step with them.
POIFile makePOIFile(const std::vector<VertexList>& lists);

inline std::uint32_t floatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace tessarin::testing

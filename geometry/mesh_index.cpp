#include "geometry/mesh_index.h"

#include <algorithm>
#include <functional>

namespace tessarin {

namespace {

// Sorts a short row into scratch and drops repeats; returns the end.
std::int32_t* distinctSorted(const std::int32_t* row, std::int32_t count, std::vector<std::int32_t>& scratch) {
    scratch.assign(row, row + count);
    std::sort(scratch.begin(), scratch.end());
    return scratch.data() + (std::unique(scratch.begin(), scratch.end()) - scratch.begin());
}

// The rows turned around, filled in ascending order of the namer.
void turnRowsAround(const SurfaceMesh& mesh, std::vector<std::int32_t>& namedByStart, std::vector<std::int32_t>& namedBy) {
    const auto n = static_cast<std::size_t>(std::max(mesh.nrOfVertices, 0));
    namedByStart.assign(n + 1, 0);
    for (std::size_t v = 0; v < n; ++v) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) ++namedByStart[static_cast<std::size_t>(row[j]) + 1];
    }
    for (std::size_t v = 0; v < n; ++v) namedByStart[v + 1] += namedByStart[v];
    namedBy.resize(static_cast<std::size_t>(namedByStart[n]));
    std::vector<std::int32_t> fill(namedByStart.begin(), namedByStart.end() - 1);
    for (std::size_t v = 0; v < n; ++v) {
        const std::int32_t* row = mesh.neighbours[v];
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            namedBy[static_cast<std::size_t>(fill[static_cast<std::size_t>(row[j])]++)] = static_cast<std::int32_t>(v);
        }
    }
}

// Whether each row equals, as a set, its turned-around counterpart.
bool rowsMatchTurnedAround(const SurfaceMesh& mesh, const std::vector<std::int32_t>& namedByStart,
                           const std::vector<std::int32_t>& namedBy) {
    std::vector<std::int32_t> scratch;
    for (std::size_t v = 0; v + 1 < namedByStart.size(); ++v) {
        const std::int32_t* row = mesh.neighbours[v];
        const std::int32_t count = mesh.nrOfNeighbours[v];
        // Rows built from triangles are usually ascending without repeats already.
        const std::int32_t* rowBegin = row;
        const std::int32_t* rowEnd = row + count;
        if (std::adjacent_find(rowBegin, rowEnd, std::greater_equal<std::int32_t>()) != rowEnd) {
            rowEnd = distinctSorted(row, count, scratch);
            rowBegin = scratch.data();
        }
        // The namers of v are ascending; skip their repeats while comparing.
        const std::int32_t* namer = namedBy.data() + namedByStart[v];
        const std::int32_t* namersEnd = namedBy.data() + namedByStart[v + 1];
        for (const std::int32_t* w = rowBegin; w != rowEnd; ++w) {
            if (namer == namersEnd || *namer != *w) return false;
            while (namer != namersEnd && *namer == *w) ++namer;
        }
        if (namer != namersEnd) return false;
    }
    return true;
}

}  // namespace

// Looking up v in the row of each of its neighbours would jump through the
// rows at random; instead the rows are turned around once ("who names v")
// and each row is compared, as a set, with its turned-around counterpart.
// Three passes in vertex order.
bool neighbourRowsAreMutual(const SurfaceMesh& mesh) {
    std::vector<std::int32_t> namedByStart, namedBy;
    turnRowsAround(mesh, namedByStart, namedBy);
    return rowsMatchTurnedAround(mesh, namedByStart, namedBy);
}

MeshIndex buildMeshIndex(const SurfaceMesh& mesh) {
    MeshIndex index = buildTriangleIndex(mesh);
    turnRowsAround(mesh, index.namedByStart, index.namedBy);
    index.mutualRows = rowsMatchTurnedAround(mesh, index.namedByStart, index.namedBy);
    // Mutual rows are their own turned-around rows.
    if (index.mutualRows) {
        std::vector<std::int32_t>().swap(index.namedByStart);
        std::vector<std::int32_t>().swap(index.namedBy);
    }
    return index;
}

MeshIndex buildTriangleIndex(const SurfaceMesh& mesh) {
    MeshIndex index;
    const auto n = static_cast<std::size_t>(std::max(mesh.nrOfVertices, 0));
    index.firstTriangleOf.assign(n + 1, 0);
    const std::int32_t* corner = mesh.triangles;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, corner += 3) ++index.firstTriangleOf[static_cast<std::size_t>(*corner) + 1];
    for (std::size_t v = 0; v < n; ++v) index.firstTriangleOf[v + 1] += index.firstTriangleOf[v];
    index.trianglesByFirstCorner.resize(static_cast<std::size_t>(index.firstTriangleOf[n]));
    std::vector<std::int32_t> fill(index.firstTriangleOf.begin(), index.firstTriangleOf.end() - 1);
    corner = mesh.triangles;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, corner += 3) {
        index.trianglesByFirstCorner[static_cast<std::size_t>(fill[static_cast<std::size_t>(*corner)]++)] = t;
    }
    return index;
}

}  // namespace tessarin

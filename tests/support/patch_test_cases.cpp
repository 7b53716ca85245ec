#include "tests/support/patch_test_cases.h"

#include <algorithm>
#include <string>

namespace tessarin::testing {

MeshData combineMeshes(const MeshData& a, const MeshData& b, float offset) {
    MeshData out = a;
    const std::int32_t shift = a.nrOfVertices();
    for (std::int32_t v = 0; v < b.nrOfVertices(); ++v) {
        out.x.push_back(b.x[v] + offset), out.y.push_back(b.y[v]), out.z.push_back(b.z[v]);
        out.nx.push_back(b.nx[v]), out.ny.push_back(b.ny[v]), out.nz.push_back(b.nz[v]);
    }
    for (std::int32_t index : b.triangles) out.triangles.push_back(index + shift);
    out.buildNeighbours();
    return out;
}

MeshData withoutTrianglesAt(const MeshData& mesh, const std::vector<std::int32_t>& vertices) {
    MeshData out = mesh;
    std::vector<char> cut(mesh.x.size(), 0);
    for (std::int32_t v : vertices) cut[v] = 1;
    out.triangles.clear();
    for (std::size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
        const std::int32_t a = mesh.triangles[t], b = mesh.triangles[t + 1], c = mesh.triangles[t + 2];
        if (!cut[a] && !cut[b] && !cut[c]) out.triangles.insert(out.triangles.end(), {a, b, c});
    }
    out.buildNeighbours();
    return out;
}

void shuffleNeighbourRows(MeshData& mesh, std::mt19937& rng) {
    for (auto& row : mesh.neighbours) std::shuffle(row.begin(), row.end(), rng);
}

void randomizeRows(MeshData& mesh, std::mt19937& rng) {
    std::uniform_int_distribution<std::int32_t> any(0, mesh.nrOfVertices() - 1);
    for (auto& row : mesh.neighbours) {
        for (std::int32_t& w : row) w = any(rng);
    }
}

void makeSomeRowsOneWay(MeshData& mesh, double fraction, std::mt19937& rng) {
    std::bernoulli_distribution drop(fraction);
    for (auto& row : mesh.neighbours) row.erase(std::remove_if(row.begin(), row.end(), [&](std::int32_t) { return drop(rng); }), row.end());
}

VertexList randomSubset(std::int32_t nrOfVertices, double density, int repeats, bool ascending, std::mt19937& rng) {
    std::bernoulli_distribution pick(density);
    VertexList list;
    for (std::int32_t v = 0; v < nrOfVertices; ++v) {
        if (pick(rng)) list.push_back(v);
    }
    if (!list.empty()) {
        std::uniform_int_distribution<std::size_t> any(0, list.size() - 1);
        for (int r = 0; r < repeats; ++r) list.push_back(list[any(rng)]);
    }
    if (ascending) {
        std::sort(list.begin(), list.end());
    } else {
        std::shuffle(list.begin(), list.end(), rng);
    }
    return list;
}

VertexList randomBlob(const MeshData& mesh, std::int32_t size, double holeFraction, std::mt19937& rng) {
    const std::int32_t n = mesh.nrOfVertices();
    VertexList ball;
    if (n == 0 || size <= 0) return ball;
    std::vector<char> seen(static_cast<std::size_t>(n), 0);
    const std::int32_t seed = std::uniform_int_distribution<std::int32_t>(0, n - 1)(rng);
    ball.push_back(seed);
    seen[seed] = 1;
    for (std::size_t i = 0; i < ball.size() && static_cast<std::int32_t>(ball.size()) < size; ++i) {
        for (std::int32_t w : mesh.neighbours[ball[i]]) {
            if (!seen[w] && static_cast<std::int32_t>(ball.size()) < size) {
                seen[w] = 1;
                ball.push_back(w);
            }
        }
    }
    // Holes away from the edge: drop some vertices of the inner half.
    std::bernoulli_distribution drop(holeFraction);
    VertexList blob;
    for (std::size_t i = 0; i < ball.size(); ++i) {
        if (i > 0 && i < ball.size() / 2 && drop(rng)) continue;
        blob.push_back(ball[i]);
    }
    return blob;
}

POIFile makePOIFile(const std::vector<VertexList>& lists) {
    POIFile file;
    file.FileVersion = 2;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        POIRecord record;
        record.NameOfPOI = "POI " + std::to_string(i);
        record.Vertices = lists[i];
        record.NrOfVertices = static_cast<std::int32_t>(lists[i].size());
        file.POIs.push_back(record);
    }
    file.NrOfPOIs = static_cast<std::int32_t>(lists.size());
    return file;
}

}  // namespace tessarin::testing

#include "tests/support/reference_patch_ops.h"

#include <algorithm>
#include <cmath>

namespace tessarin::reference {

namespace {

bool contains(const VertexList& list, VertexIndex v) { return std::find(list.begin(), list.end(), v) != list.end(); }

// Removes the first entry equal to v; false when there is none.
bool removeFirst(VertexList& list, VertexIndex v) {
    const auto it = std::find(list.begin(), list.end(), v);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

std::int32_t records(const POIFile& file) {
    return std::min<std::int32_t>(file.NrOfPOIs, static_cast<std::int32_t>(file.POIs.size()));
}

}  // namespace

PatchList splitIntoPatches(VertexList vertices, const SurfaceMesh& mesh) {
    VertexList& remaining = vertices;
    PatchList result;
    VertexList frontier, candidates;
    while (!remaining.empty()) {
        if (frontier.empty()) {
            const VertexIndex seed = remaining.back();
            remaining.pop_back();
            result.push_back(VertexList{seed});
            frontier = {seed};
        }
        candidates.clear();
        for (VertexIndex u : frontier) {
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) candidates.push_back(mesh.neighbours[u][j]);
        }
        frontier.clear();
        for (VertexIndex c : candidates) {
            if (removeFirst(remaining, c)) {
                result.back().push_back(c);
                frontier.push_back(c);
            }
        }
    }
    return result;
}

float patchArea(const VertexList& vertices, const SurfaceMesh& mesh) {
    if (vertices.size() < 3) return 0.0f;
    float area = 0.0f;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t) {
        const std::int32_t i0 = mesh.triangles[3 * t], i1 = mesh.triangles[3 * t + 1], i2 = mesh.triangles[3 * t + 2];
        if (!contains(vertices, i0) || !contains(vertices, i1) || !contains(vertices, i2)) continue;
        const float ux = mesh.vertexX[i1] - mesh.vertexX[i0];
        const float uy = mesh.vertexY[i1] - mesh.vertexY[i0];
        const float uz = mesh.vertexZ[i1] - mesh.vertexZ[i0];
        const float wx = mesh.vertexX[i2] - mesh.vertexX[i0];
        const float wy = mesh.vertexY[i2] - mesh.vertexY[i0];
        const float wz = mesh.vertexZ[i2] - mesh.vertexZ[i0];
        const float nx = uy * wz - uz * wy;
        const float ny = uz * wx - ux * wz;
        const float nz = ux * wy - uy * wx;
        area += 0.5f * std::sqrt(nx * nx + nz * nz + ny * ny);
    }
    return area;
}

LargestPatchResult keepLargestPatch(VertexList& vertices, const SurfaceMesh& mesh) {
    LargestPatchResult result;
    const PatchList patches = reference::splitIntoPatches(vertices, mesh);
    result.nrOfPatches = static_cast<std::int32_t>(patches.size());
    if (patches.empty()) return result;
    std::vector<float> areas;
    for (const VertexList& patch : patches) areas.push_back(reference::patchArea(patch, mesh));
    std::size_t kept = 0;
    for (std::size_t i = 1; i < patches.size(); ++i) {
        if (areas[i] > areas[kept]) kept = i;
    }
    result.areaBefore = reference::patchArea(vertices, mesh);
    vertices = patches[kept];
    result.areaKept = areas[kept];
    return result;
}

VertexList getOuterRing(const VertexList& set, const SurfaceMesh& mesh) {
    VertexList candidates;
    for (VertexIndex v : set) {
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) candidates.push_back(mesh.neighbours[v][j]);
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    VertexList ring;
    for (VertexIndex c : candidates) {
        if (!contains(set, c)) ring.push_back(c);
    }
    return ring;
}

VertexList getBoundaryVertices(const VertexList& set, const SurfaceMesh& mesh) {
    VertexList boundary;
    for (VertexIndex v : set) {
        for (std::int32_t j = 0; j < mesh.nrOfNeighbours[v]; ++j) {
            if (!contains(set, mesh.neighbours[v][j])) {
                boundary.push_back(v);
                break;
            }
        }
    }
    return boundary;
}

void fillPatchHoles(VertexList& vertices, const SurfaceMesh& mesh) {
    const PatchList patches = reference::splitIntoPatches(vertices, mesh);
    vertices.clear();
    for (VertexList patch : patches) {
        VertexList ring = reference::getOuterRing(patch, mesh);
        PatchList regions = reference::splitIntoPatches(ring, mesh);
        while (regions.size() >= 2) {
            std::stable_sort(regions.begin(), regions.end(),
                             [](const VertexList& a, const VertexList& b) { return a.size() < b.size(); });
            patch.insert(patch.end(), regions.front().begin(), regions.front().end());
            ring = reference::getOuterRing(patch, mesh);
            regions = reference::splitIntoPatches(ring, mesh);
        }
        vertices.insert(vertices.end(), patch.begin(), patch.end());
    }
}

void smoothPatchEdges(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh) {
    for (std::int32_t step = 0; step < steps; ++step) {
        const VertexList ring = reference::getOuterRing(vertices, mesh);
        vertices.insert(vertices.end(), ring.begin(), ring.end());
    }
    for (std::int32_t step = 0; step < steps; ++step) {
        const VertexList boundary = reference::getBoundaryVertices(vertices, mesh);
        VertexList kept;
        for (VertexIndex v : vertices) {
            if (!contains(boundary, v)) kept.push_back(v);
        }
        vertices = kept;
    }
}

VertexList findOverlapVertices(const POIFile& file) {
    VertexList all;
    for (std::int32_t i = 0; i < records(file); ++i) {
        all.insert(all.end(), file.POIs[i].Vertices.begin(), file.POIs[i].Vertices.end());
    }
    std::sort(all.begin(), all.end());
    VertexList repeats;
    for (std::size_t j = 1; j < all.size(); ++j) {
        if (all[j] == all[j - 1]) repeats.push_back(all[j]);
    }
    repeats.erase(std::unique(repeats.begin(), repeats.end()), repeats.end());
    return repeats;
}

void removeOverlapVertices(POIFile& file, const VertexList& overlap) {
    for (std::int32_t i = 0; i < records(file); ++i) {
        if (overlap.empty()) continue;
        for (VertexIndex v : overlap) removeFirst(file.POIs[i].Vertices, v);
    }
    for (std::int32_t i = 0; i < records(file); ++i) {
        file.POIs[i].NrOfVertices = static_cast<std::int32_t>(file.POIs[i].Vertices.size());
    }
}

void redistributeVertices(POIFile& file, VertexList remaining, const SurfaceMesh& mesh) {
    std::size_t previous = 0;
    for (;;) {
        const std::size_t n = remaining.size();
        if (n == 0 || n == previous) break;
        previous = n;
        for (std::int32_t i = 0; i < records(file); ++i) {
            const VertexList ring = reference::getOuterRing(file.POIs[i].Vertices, mesh);
            for (VertexIndex v : ring) {
                if (contains(remaining, v)) {
                    file.POIs[i].Vertices.push_back(v);
                    removeFirst(remaining, v);
                }
            }
        }
    }
    for (std::int32_t i = 0; i < records(file); ++i) {
        file.POIs[i].NrOfVertices = static_cast<std::int32_t>(file.POIs[i].Vertices.size());
    }
}

}  // namespace tessarin::reference

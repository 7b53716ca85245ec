// The geometry operations on random meshes and vertex lists, each checked
// against its literal reference version: identical lists in identical
// order and bit-identical areas. Any difference aborts.
//
// The input is read as a recipe: a mesh of up to 40 vertices with triangles
// of distinct in-range corners and neighbour rows in a chosen stored order
// (some of them made one-way), then one operation with its lists.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "geometry/mesh_data.h"
#include "geometry/mesh_index.h"
#include "geometry/one_ring.h"
#include "geometry/overlap.h"
#include "geometry/patch_cleanup.h"
#include "geometry/patch_connectivity.h"
#include "geometry/voi_mapping.h"
#include "tests/support/reference_mapping.h"
#include "tests/support/reference_patch_ops.h"

namespace tessarin {
namespace {

void mustEqual(bool same, const char* what) {
    if (same) return;
    std::fprintf(stderr, "%s differs from its literal version\n", what);
    std::abort();
}

std::uint32_t bits(float value) {
    std::uint32_t b;
    std::memcpy(&b, &value, sizeof b);
    return b;
}

MeshData makeMesh(FuzzedDataProvider& input) {
    MeshData mesh;
    const int vertices = input.ConsumeIntegralInRange(1, 40);
    for (int v = 0; v < vertices; ++v) {
        // Coordinates on a coarse lattice keep every area finite.
        mesh.x.push_back(input.ConsumeIntegralInRange(-16, 16) * 0.25f);
        mesh.y.push_back(input.ConsumeIntegralInRange(-16, 16) * 0.25f);
        mesh.z.push_back(input.ConsumeIntegralInRange(-16, 16) * 0.25f);
        mesh.nx.push_back(input.ConsumeIntegralInRange(-8, 8) * 0.25f);
        mesh.ny.push_back(input.ConsumeIntegralInRange(-8, 8) * 0.25f);
        mesh.nz.push_back(input.ConsumeIntegralInRange(-8, 8) * 0.25f);
    }
    const int triangles = input.ConsumeIntegralInRange(0, 80);
    for (int t = 0; t < triangles; ++t) {
        const std::int32_t a = input.ConsumeIntegralInRange(0, vertices - 1);
        const std::int32_t b = input.ConsumeIntegralInRange(0, vertices - 1);
        const std::int32_t c = input.ConsumeIntegralInRange(0, vertices - 1);
        if (a == b || b == c || a == c) continue;
        mesh.triangles.insert(mesh.triangles.end(), {a, b, c});
    }
    mesh.buildNeighbours();
    // The operations visit neighbours in stored order: store them in any.
    for (auto& row : mesh.neighbours) {
        if (row.empty()) continue;
        std::rotate(row.begin(), row.begin() + input.ConsumeIntegralInRange<std::size_t>(0, row.size() - 1), row.end());
        if (input.ConsumeBool()) std::reverse(row.begin(), row.end());
    }
    // A host's rows need not be mutual: some entries pointed elsewhere or dropped.
    const int oneWay = input.ConsumeIntegralInRange(0, 3);
    for (int k = 0; k < oneWay * 4; ++k) {
        auto& row = mesh.neighbours[input.ConsumeIntegralInRange<std::size_t>(0, mesh.neighbours.size() - 1)];
        if (row.empty()) continue;
        const std::size_t at = input.ConsumeIntegralInRange<std::size_t>(0, row.size() - 1);
        if (input.ConsumeBool()) {
            row.erase(row.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            row[at] = input.ConsumeIntegralInRange(0, vertices - 1);
        }
    }
    return mesh;
}

VertexList makeList(FuzzedDataProvider& input, std::int32_t vertices) {
    VertexList list(input.ConsumeIntegralInRange<std::size_t>(0, 48));
    for (VertexIndex& v : list) v = input.ConsumeIntegralInRange(0, vertices - 1);
    if (input.ConsumeBool()) std::sort(list.begin(), list.end());
    return list;
}

POIFile makeFile(FuzzedDataProvider& input, std::int32_t vertices) {
    POIFile file;
    file.NrOfPOIs = input.ConsumeIntegralInRange(0, 5);
    for (std::int32_t i = 0; i < file.NrOfPOIs; ++i) {
        POIRecord record;
        record.Vertices = makeList(input, vertices);
        record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
        file.POIs.push_back(record);
    }
    return file;
}

bool sameRecords(const POIFile& a, const POIFile& b) {
    if (a.POIs.size() != b.POIs.size()) return false;
    for (std::size_t i = 0; i < a.POIs.size(); ++i) {
        if (a.POIs[i].Vertices != b.POIs[i].Vertices || a.POIs[i].NrOfVertices != b.POIs[i].NrOfVertices) return false;
    }
    return true;
}

void checkMapping(FuzzedDataProvider& input, const SurfaceMesh& mesh) {
    VoxelGrid grid;
    grid.dimX = input.ConsumeIntegralInRange(0, 8);
    grid.dimY = input.ConsumeIntegralInRange(0, 8);
    grid.dimZ = input.ConsumeIntegralInRange(0, 8);
    grid.coordsType = input.ConsumeBool() ? 3 : input.ConsumeIntegralInRange(0, 4);
    grid.orientationCode = input.ConsumeIntegralInRange(0, 3);
    std::vector<std::vector<std::int32_t>> vois(input.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (auto& voxels : vois) {
        voxels.resize(3 * input.ConsumeIntegralInRange<std::size_t>(0, 12));
        // Centred coordinates sit near 128; plain ones near the grid.
        const int low = grid.coordsType == 3 ? 118 : -2, high = grid.coordsType == 3 ? 138 : 10;
        for (std::int32_t& c : voxels) c = input.ConsumeIntegralInRange(low, high);
    }
    const float from = input.ConsumeIntegralInRange(-40, 40) * 0.1f;
    const float to = input.ConsumeIntegralInRange(-40, 40) * 0.1f;
    const float step = input.ConsumeIntegralInRange(1, 20) * 0.05f;
    auto fetcher = [&vois](std::int32_t k) {
        const auto& voxels = vois[static_cast<std::size_t>(k)];
        return VoxelTriples{voxels.data(), static_cast<std::int32_t>(voxels.size() / 3)};
    };
    const std::int32_t count = static_cast<std::int32_t>(vois.size());
    mustEqual(mapVOIsToVertices(count, grid, mesh, from, to, step, fetcher) ==
                  testing::referenceMapVOIsToVertices(count, grid, mesh, from, to, step, fetcher),
              "mapVOIsToVertices");
}

void checkOneOperation(FuzzedDataProvider& input, const SurfaceMesh& mesh) {
    const std::int32_t n = mesh.nrOfVertices;
    switch (input.ConsumeIntegralInRange(0, 9)) {
        case 0: {
            const VertexList list = makeList(input, n);
            mustEqual(splitIntoPatches(list, mesh) == reference::splitIntoPatches(list, mesh), "splitIntoPatches");
            break;
        }
        case 1: {
            const VertexList list = makeList(input, n);
            mustEqual(bits(patchArea(list, mesh)) == bits(reference::patchArea(list, mesh)), "patchArea");
            break;
        }
        case 2: {
            VertexList fast = makeList(input, n), literal = fast;
            const LargestPatchResult a = keepLargestPatch(fast, mesh), b = reference::keepLargestPatch(literal, mesh);
            mustEqual(fast == literal && a.nrOfPatches == b.nrOfPatches && bits(a.areaBefore) == bits(b.areaBefore) &&
                          bits(a.areaKept) == bits(b.areaKept),
                      "keepLargestPatch");
            break;
        }
        case 3: {
            const VertexList list = makeList(input, n);
            mustEqual(getOuterRing(list, mesh) == reference::getOuterRing(list, mesh), "getOuterRing");
            break;
        }
        case 4: {
            const VertexList list = makeList(input, n);
            mustEqual(getBoundaryVertices(list, mesh) == reference::getBoundaryVertices(list, mesh),
                      "getBoundaryVertices");
            break;
        }
        case 5: {
            VertexList fast = makeList(input, n), literal = fast;
            fillPatchHoles(fast, mesh);
            reference::fillPatchHoles(literal, mesh);
            mustEqual(fast == literal, "fillPatchHoles");
            break;
        }
        case 6: {
            const std::int32_t steps = input.ConsumeIntegralInRange(-2, 6);
            VertexList fast = makeList(input, n), literal = fast;
            smoothPatchEdges(fast, steps, mesh);
            reference::smoothPatchEdges(literal, steps, mesh);
            mustEqual(fast == literal, "smoothPatchEdges");
            break;
        }
        case 7: {
            const POIFile file = makeFile(input, n);
            mustEqual(findOverlapVertices(file) == reference::findOverlapVertices(file), "findOverlapVertices");
            break;
        }
        case 8: {
            // The whole no-overlap stage: find, remove, hand back.
            POIFile fast = makeFile(input, n), literal = fast;
            const VertexList overlap = findOverlapVertices(fast);
            removeOverlapVertices(fast, overlap);
            reference::removeOverlapVertices(literal, overlap);
            mustEqual(sameRecords(fast, literal), "removeOverlapVertices");
            // Sometimes hand back a list the records never held.
            const VertexList remaining = input.ConsumeBool() ? overlap : makeList(input, n);
            redistributeVertices(fast, remaining, mesh);
            reference::redistributeVertices(literal, remaining, mesh);
            mustEqual(sameRecords(fast, literal), "redistributeVertices");
            break;
        }
        default:
            checkMapping(input, mesh);
            break;
    }
}

}  // namespace
}  // namespace tessarin

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const tessarin::MeshData mesh = tessarin::makeMesh(input);
    tessarin::SurfaceMesh view = mesh.view();
    // With the index a run attaches, or without: the same results either way.
    tessarin::MeshIndex index;
    if (input.ConsumeBool()) {
        index = tessarin::buildMeshIndex(view);
        view.index = &index;
    }
    // A few operations per mesh: enough to reuse it, few enough to keep
    // every input quick.
    for (int i = 0; i < 6 && input.remaining_bytes() > 0; ++i) tessarin::checkOneOperation(input, view);
    return 0;
}

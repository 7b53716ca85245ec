#include "tests/support/reference_mapping.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>

namespace tessarin::testing {

ByteVolume::ByteVolume(std::int32_t x, std::int32_t y, std::int32_t z, std::uint8_t fill)
    : sizeX(x > 0 && y > 0 && z > 0 ? x : 0), sizeY(sizeX > 0 ? y : 0), sizeZ(sizeX > 0 ? z : 0),
      cells(static_cast<std::size_t>(sizeX) * static_cast<std::size_t>(sizeY) * static_cast<std::size_t>(sizeZ),
            fill) {}

std::uint8_t& ByteVolume::at(std::int32_t x, std::int32_t y, std::int32_t z) {
    return cells[static_cast<std::size_t>(x) +
                 (static_cast<std::size_t>(y) + static_cast<std::size_t>(z) * static_cast<std::size_t>(sizeY)) *
                     static_cast<std::size_t>(sizeX)];
}

std::vector<float> referenceOffsets(float from, float to, float step) {
    std::vector<float> offsets{0.0f};
    const float m = std::fmax(to, -from);  // the larger of the two; NaN loses
    float d = step;
    while (d <= m) {
        if (d <= to) offsets.push_back(d);
        if (d <= -from) offsets.push_back(-d);
        const float next = d + step;
        if (next <= d) throw std::logic_error("offset range does not end");
        d = next;
    }
    return offsets;
}

namespace {

// Truncation toward zero, or nothing for a value without an int32 value.
std::optional<std::int32_t> toInt32(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::vector<VertexList> referenceMapVOIsToVertices(std::int32_t nrOfVOIs, const VoxelGrid& grid,
                                                   const SurfaceMesh& mesh, float from, float to, float step,
                                                   const VoxelFetcher& fetchVoxels) {
    if (nrOfVOIs <= 0) return {};
    std::vector<std::unique_ptr<ByteVolume>> masks(static_cast<std::size_t>(nrOfVOIs));
    for (std::int32_t k = nrOfVOIs - 1; k >= 0; --k) {
        masks[k] = std::make_unique<ByteVolume>(grid.dimX, grid.dimY, grid.dimZ, 0);
        ByteVolume& mask = *masks[k];
        const VoxelTriples voxels = fetchVoxels(k);
        for (std::int32_t i = 0; i < voxels.count; ++i) {
            const std::int64_t c0 = voxels.data[3 * i], c1 = voxels.data[3 * i + 1], c2 = voxels.data[3 * i + 2];
            std::int64_t x = c0, y = c1, z = c2;
            if (grid.coordsType == 3) {
                x = 128 - c1;
                y = 128 - c2;
                z = grid.orientationCode == 2 ? c0 + 128 : 128 - c0;
            }
            if (x < 0 || y < 0 || z < 0 || x >= mask.sizeX || y >= mask.sizeY || z >= mask.sizeZ) continue;
            mask.at(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), static_cast<std::int32_t>(z)) = 1;
        }
    }
    const std::vector<float> offsets = referenceOffsets(from, to, step);
    std::vector<VertexList> results(static_cast<std::size_t>(nrOfVOIs));
    for (std::int32_t j = 0; j < mesh.nrOfVertices; ++j) {
        const float X = mesh.vertexX[j], Y = mesh.vertexY[j], Z = mesh.vertexZ[j];
        const float NX = mesh.normalX[j], NY = mesh.normalY[j], NZ = mesh.normalZ[j];
        for (const float s : offsets) {
            const std::optional<std::int32_t> x = toInt32((X + 0.5f) + s * NX);
            const std::optional<std::int32_t> y = toInt32((Y + 0.5f) + s * NY);
            const std::optional<std::int32_t> z = toInt32((Z + 0.5f) + s * NZ);
            if (!x || !y || !z) continue;
            if (*x < 0 || *x >= grid.dimX || *y < 0 || *y >= grid.dimY || *z < 0 || *z >= grid.dimZ) continue;
            for (std::int32_t k = 0; k < nrOfVOIs; ++k) {
                if (masks[k]->at(*x, *y, *z) == 0) continue;
                VertexList& list = results[k];
                const std::size_t n = list.size();
                if (n > 2 && (list[n - 1] == j || list[n - 2] == j)) continue;
                list.push_back(j);
            }
        }
    }
    for (VertexList& list : results) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    return results;
}

VoxelFetcher VoiStore::fetcher() {
    return [this](std::int32_t voi) {
        fetchOrder.push_back(voi);
        const std::vector<std::int32_t>& triples = vois.at(static_cast<std::size_t>(voi));
        return VoxelTriples{triples.data(), static_cast<std::int32_t>(triples.size() / 3)};
    };
}

}  // namespace tessarin::testing

// The VOI-to-vertex mapping written the plain way, for differential tests
// and speed comparisons; and a stand-in for the host's VOI store.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/voi_mapping.h"

namespace tessarin::testing {

// A dense grid of bytes, first axis fastest; sizes of 0 or below give no cells.
class ByteVolume {
public:
    ByteVolume(std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ, std::uint8_t fill);
    std::uint8_t& at(std::int32_t x, std::int32_t y, std::int32_t z);
    std::int32_t sizeX, sizeY, sizeZ;
    std::vector<std::uint8_t> cells;
};

// The offset list 0, +d1, -d1, +d2, -d2, ... built by the plain loop on a
// single-precision running sum. A NaN bound allows no offsets on its side.
// Throws std::logic_error instead of looping for ever when the range reaches
// the point where the running sum stops growing (or step is not above 0).
std::vector<float> referenceOffsets(float from, float to, float step);

// The mapping as first described: one byte mask per VOI (all alive at once),
// the full offset list, every offset tested against every mask, the
// "last or second-to-last" rule while collecting, and a sort plus removal of
// repeats at the end. Voxels and samples outside the grid are skipped.
// Same contract as mapVOIsToVertices for ranges referenceOffsets accepts.
std::vector<VertexList> referenceMapVOIsToVertices(std::int32_t nrOfVOIs, const VoxelGrid& grid,
                                                   const SurfaceMesh& mesh, float from, float to, float step,
                                                   const VoxelFetcher& fetchVoxels);

// VOIs held in memory, one list of (c0, c1, c2) triples each, handed out as
// the host does, and the order in which they were asked for.
struct VoiStore {
    std::vector<std::vector<std::int32_t>> vois;
    std::vector<std::int32_t> fetchOrder;

    std::int32_t count() const { return static_cast<std::int32_t>(vois.size()); }
    // A fetcher that records each request in fetchOrder. Precondition: this
    // store outlives the fetcher and its VOI lists are not changed meanwhile.
    VoxelFetcher fetcher();
};

}  // namespace tessarin::testing

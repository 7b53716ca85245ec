// Which blocks of a label volume hold one label throughout, so that long
// walks along vertex normals can cross them in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin {

// The volume cut into aligned cubes of 2, 4, ... 64 cells a side (smaller at
// the far faces), and for every cell the largest such cube around it whose
// cells all share one label. Samples that stay inside such a cube can only
// add what its first sample added, so a walk need not visit its cells one by
// one; the larger the cube, the longer the stride (outside the brain and in
// the white matter, large cubes hold one label; near the cortex, small ones).
class UniformBlocks {
public:
    static constexpr int kFinestShift = 1;    // 2 cells a side
    static constexpr int kCoarsestShift = 6;  // 64 cells a side

    // labels: sizeX x sizeY x sizeZ labels, x fastest. Preconditions: sizes > 0.
    template <typename Label>
    UniformBlocks(const Label* labels, std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ);

    // log2 of the side of the largest uniform cube that holds `cell`, or 0
    // when even its cube of 2 cells a side is mixed. Precondition: `cell`
    // lies in the volume.
    int uniformShift(const std::int32_t (&cell)[3]) const {
        return shift_[tiledIndex(cell[0] >> kFinestShift, cell[1] >> kFinestShift, cell[2] >> kFinestShift)];
    }

    // Whether two cells lie in the same aligned cube of 2^shift cells a side.
    static bool sameBlock(const std::int32_t (&a)[3], const std::int32_t (&b)[3], int shift) {
        return (a[0] >> shift) == (b[0] >> shift) && (a[1] >> shift) == (b[1] >> shift) &&
               (a[2] >> shift) == (b[2] >> shift);
    }

private:
    static constexpr std::uint32_t kMixed = UINT32_MAX;

    struct Dims {
        std::int32_t x, y, z;
    };
    static std::size_t index(std::int32_t x, std::int32_t y, std::int32_t z, const Dims& dims) {
        return static_cast<std::size_t>(x) +
               (static_cast<std::size_t>(y) + static_cast<std::size_t>(z) * static_cast<std::size_t>(dims.y)) *
                   static_cast<std::size_t>(dims.x);
    }
    static Dims blocksOf(std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ, int shift) {
        return {((sizeX - 1) >> shift) + 1, ((sizeY - 1) >> shift) + 1, ((sizeZ - 1) >> shift) + 1};
    }
    // The finest blocks' shifts are stored in tiles of 4 x 4 x 4 blocks, one
    // cache line each, so that a walk through the volume meets a new line
    // only every eight cells or so along any direction.
    static constexpr int kTileShift = 2;
    std::size_t tiledIndex(std::int32_t x, std::int32_t y, std::int32_t z) const {
        constexpr std::int32_t low = (1 << kTileShift) - 1;
        const std::size_t tile = index(x >> kTileShift, y >> kTileShift, z >> kTileShift, tiles_);
        return tile << (3 * kTileShift) |
               static_cast<std::size_t>((x & low) | (y & low) << kTileShift | (z & low) << (2 * kTileShift));
    }
    static std::size_t count(const Dims& dims) {
        return static_cast<std::size_t>(dims.x) * static_cast<std::size_t>(dims.y) * static_cast<std::size_t>(dims.z);
    }

    template <typename Label>
    static std::vector<std::uint32_t> finestLabels(const Label* labels, std::int32_t sizeX, std::int32_t sizeY,
                                                   std::int32_t sizeZ, const Dims& dims);
    static std::vector<std::uint32_t> coarser(const std::vector<std::uint32_t>& finer, const Dims& finerDims,
                                              const Dims& dims);
    void liftShifts(const std::vector<std::uint32_t>& coarse, const Dims& coarseDims, int shift);

    Dims dims_[kCoarsestShift - kFinestShift + 1];  // blocks per axis at each shift
    Dims tiles_;                                     // tiles of finest blocks per axis
    std::vector<std::uint8_t> shift_;                // per finest block, tiled
};

// The label of each finest block, or kMixed.
template <typename Label>
std::vector<std::uint32_t> UniformBlocks::finestLabels(const Label* labels, std::int32_t sizeX, std::int32_t sizeY,
                                                       std::int32_t sizeZ, const Dims& dims) {
    std::vector<std::uint32_t> label(count(dims), 0);
    std::vector<char> seen(label.size(), 0);
    const Label* cell = labels;
    for (std::int32_t z = 0; z < sizeZ; ++z) {
        for (std::int32_t y = 0; y < sizeY; ++y) {
            const std::size_t row = index(0, y >> kFinestShift, z >> kFinestShift, dims);
            for (std::int32_t x = 0; x < sizeX; ++x, ++cell) {
                const std::size_t b = row + static_cast<std::size_t>(x >> kFinestShift);
                if (!seen[b]) {
                    seen[b] = 1;
                    label[b] = *cell;
                } else if (label[b] != *cell) {
                    label[b] = kMixed;
                }
            }
        }
    }
    return label;
}

template <typename Label>
UniformBlocks::UniformBlocks(const Label* labels, std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ) {
    for (int shift = kFinestShift; shift <= kCoarsestShift; ++shift) {
        dims_[shift - kFinestShift] = blocksOf(sizeX, sizeY, sizeZ, shift);
    }
    tiles_ = blocksOf(sizeX, sizeY, sizeZ, kFinestShift + kTileShift);
    shift_.assign(count(tiles_) << (3 * kTileShift), 0);
    std::vector<std::uint32_t> level = finestLabels(labels, sizeX, sizeY, sizeZ, dims_[0]);
    liftShifts(level, dims_[0], kFinestShift);
    for (int shift = kFinestShift + 1; shift <= kCoarsestShift; ++shift) {
        const Dims& finerDims = dims_[shift - 1 - kFinestShift];
        const Dims& dims = dims_[shift - kFinestShift];
        level = coarser(level, finerDims, dims);
        liftShifts(level, dims, shift);
    }
}

}  // namespace tessarin

#include "geometry/uniform_blocks.h"

namespace tessarin {

// A block is uniform when each of its (up to eight) halves is uniform with
// one and the same label; halves beyond the volume's far faces do not exist.
std::vector<std::uint32_t> UniformBlocks::coarser(const std::vector<std::uint32_t>& finer, const Dims& finerDims,
                                                  const Dims& dims) {
    std::vector<std::uint32_t> label(count(dims), kMixed);
    for (std::int32_t z = 0; z < dims.z; ++z) {
        for (std::int32_t y = 0; y < dims.y; ++y) {
            for (std::int32_t x = 0; x < dims.x; ++x) {
                std::uint32_t common = finer[index(2 * x, 2 * y, 2 * z, finerDims)];
                for (int half = 1; half < 8 && common != kMixed; ++half) {
                    const std::int32_t fx = 2 * x + (half & 1), fy = 2 * y + (half >> 1 & 1), fz = 2 * z + (half >> 2);
                    if (fx >= finerDims.x || fy >= finerDims.y || fz >= finerDims.z) continue;
                    if (finer[index(fx, fy, fz, finerDims)] != common) common = kMixed;
                }
                label[index(x, y, z, dims)] = common;
            }
        }
    }
    return label;
}

// Finest blocks that were uniform up to the shift below and whose block at
// `shift` is uniform now report `shift`.
void UniformBlocks::liftShifts(const std::vector<std::uint32_t>& coarse, const Dims& coarseDims, int shift) {
    const Dims& finest = dims_[0];
    const int up = shift - kFinestShift;
    for (std::int32_t z = 0; z < finest.z; ++z) {
        for (std::int32_t y = 0; y < finest.y; ++y) {
            const std::size_t coarseRow = index(0, y >> up, z >> up, coarseDims);
            for (std::int32_t x = 0; x < finest.x; ++x) {
                std::uint8_t& s = shift_[tiledIndex(x, y, z)];
                if (s == shift - 1 && coarse[coarseRow + static_cast<std::size_t>(x >> up)] != kMixed) {
                    s = static_cast<std::uint8_t>(shift);
                }
            }
        }
    }
}

}  // namespace tessarin

// Which blocks of a label volume hold one label throughout, so that long
// walks along vertex normals can cross them in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin {

// The volume cut into cubes of 8 x 8 x 8 cells (smaller at the far faces);
// for each, its label when all its cells share one, else "mixed". Samples
// that stay inside one uniform block can only add what its first sample
// added, so a walk need not visit its cells one by one.
class UniformBlocks {
public:
    static constexpr int kShift = 3;  // 8 cells a side
    static constexpr std::uint32_t kMixed = UINT32_MAX;

    // labels: sizeX x sizeY x sizeZ labels, x fastest. Preconditions: sizes > 0.
    template <typename Label>
    UniformBlocks(const Label* labels, std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ);

    bool isUniform(const std::int32_t (&cell)[3]) const { return label_[blockOf(cell)] != kMixed; }
    bool sameBlock(const std::int32_t (&a)[3], const std::int32_t (&b)[3]) const {
        return (a[0] >> kShift) == (b[0] >> kShift) && (a[1] >> kShift) == (b[1] >> kShift) &&
               (a[2] >> kShift) == (b[2] >> kShift);
    }

private:
    std::size_t blockOf(const std::int32_t (&cell)[3]) const {
        return static_cast<std::size_t>(cell[0] >> kShift) +
               (static_cast<std::size_t>(cell[1] >> kShift) +
                static_cast<std::size_t>(cell[2] >> kShift) * static_cast<std::size_t>(blocksY_)) *
                   static_cast<std::size_t>(blocksX_);
    }

    std::int32_t blocksX_, blocksY_, blocksZ_;
    std::vector<std::uint32_t> label_;
};

template <typename Label>
UniformBlocks::UniformBlocks(const Label* labels, std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ)
    : blocksX_(((sizeX - 1) >> kShift) + 1), blocksY_(((sizeY - 1) >> kShift) + 1), blocksZ_(((sizeZ - 1) >> kShift) + 1) {
    const std::size_t blocks = static_cast<std::size_t>(blocksX_) * static_cast<std::size_t>(blocksY_) *
                               static_cast<std::size_t>(blocksZ_);
    label_.assign(blocks, 0);
    std::vector<char> seen(blocks, 0);
    const Label* label = labels;
    for (std::int32_t z = 0; z < sizeZ; ++z) {
        for (std::int32_t y = 0; y < sizeY; ++y) {
            const std::size_t rowBlocks = static_cast<std::size_t>(blocksX_) *
                                          (static_cast<std::size_t>(y >> kShift) +
                                           static_cast<std::size_t>(z >> kShift) * static_cast<std::size_t>(blocksY_));
            for (std::int32_t x = 0; x < sizeX; ++x, ++label) {
                const std::size_t b = rowBlocks + static_cast<std::size_t>(x >> kShift);
                if (!seen[b]) {
                    seen[b] = 1;
                    label_[b] = *label;
                } else if (label_[b] != *label) {
                    label_[b] = kMixed;
                }
            }
        }
    }
}

}  // namespace tessarin

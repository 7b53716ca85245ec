// One volume that records, for every voxel, the set of VOIs it belongs to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin {

// A dense grid of labels, one per voxel, each naming a set of VOIs in a
// table of distinct sets; label 0 is the empty set. This replaces one byte
// mask per VOI: the memory is one volume of 8-bit labels (16-bit once more
// than 256 distinct sets exist, 32-bit beyond 65,536) plus the table,
// whatever the number of VOIs, and a membership test is still a single read.
//
// Cell (x, y, z) lives at x + (y + z * sizeY) * sizeX, the first axis
// running fastest.
//
// Usage: call beginVoi() for each VOI, from the highest index down to 0
// (each once), and mark() its voxels after it. Then read with label() and
// members().
class VoiLabelVolume {
public:
    // A volume of sizeX x sizeY x sizeZ voxels, all in no VOI. A size of 0 or
    // below on any axis gives a volume without voxels (every cell outside).
    // Throws std::length_error when the voxel count cannot be addressed
    // (the product overflows or exceeds what memory could ever hold), and
    // std::bad_alloc when the labels cannot be allocated.
    VoiLabelVolume(std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ);

    std::int32_t sizeX() const { return sizeX_; }
    std::int32_t sizeY() const { return sizeY_; }
    std::int32_t sizeZ() const { return sizeZ_; }
    bool hasNoVoxels() const { return cellCount_ == 0; }

    // Starts adding the voxels of VOI voi. Precondition: voi >= 0 and below
    // every VOI begun before.
    void beginVoi(std::int32_t voi);
    // Adds cell (x, y, z) to the VOI begun last. Cells outside the volume
    // are skipped; a cell given twice counts once.
    void mark(std::int64_t x, std::int64_t y, std::int64_t z) {
        if (x < 0 || y < 0 || z < 0 || x >= sizeX_ || y >= sizeY_ || z >= sizeZ_) return;
        const std::size_t at =
            cellIndex(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), static_cast<std::int32_t>(z));
        // Most voxels belong to one VOI only: a cell in none takes the label
        // of the current VOI alone, once that is known.
        if (width_ == 1 && labels8_[at] == 0 && extendedStamp_[0] == currentVoi_) {
            labels8_[at] = static_cast<std::uint8_t>(extendedTo_[0]);
            return;
        }
        markCell(at);
    }

    // True when no cell is in any VOI.
    bool isAllEmpty() const { return setCount() == 1; }
    std::size_t setCount() const { return setStart_.size() - 1; }

    // Labels are as narrow as the set table allows; exactly one of these is
    // non-null (all null for a volume without voxels).
    const std::uint8_t* labels8() const { return width_ == 1 ? labels8_.data() : nullptr; }
    const std::uint16_t* labels16() const { return width_ == 2 ? labels16_.data() : nullptr; }
    const std::uint32_t* labels32() const { return width_ == 4 ? labels32_.data() : nullptr; }

    // The label of a cell. Precondition: the cell lies inside the volume.
    std::uint32_t label(std::int32_t x, std::int32_t y, std::int32_t z) const { return labelAt(cellIndex(x, y, z)); }
    std::size_t cellIndex(std::int32_t x, std::int32_t y, std::int32_t z) const {
        return static_cast<std::size_t>(x) +
               (static_cast<std::size_t>(y) + static_cast<std::size_t>(z) * static_cast<std::size_t>(sizeY_)) *
                   static_cast<std::size_t>(sizeX_);
    }

    // The VOIs of a label, ascending, as [begin, end). Precondition:
    // label < setCount().
    const std::int32_t* membersBegin(std::uint32_t label) const { return members_.data() + setStart_[label]; }
    const std::int32_t* membersEnd(std::uint32_t label) const { return members_.data() + setStart_[label + 1]; }

private:
    void markCell(std::size_t at);
    std::uint32_t labelAt(std::size_t at) const;
    void setLabelAt(std::size_t at, std::uint32_t label);
    std::uint32_t labelForCurrentVoi(std::uint32_t previous);
    void widen(std::size_t width);

    std::int32_t sizeX_ = 0, sizeY_ = 0, sizeZ_ = 0;
    std::size_t cellCount_ = 0;
    std::size_t width_ = 0;  // bytes per label: 1, 2 or 4
    std::vector<std::uint8_t> labels8_;
    std::vector<std::uint16_t> labels16_;
    std::vector<std::uint32_t> labels32_;

    // Set s holds members_[setStart_[s] .. setStart_[s + 1]), ascending.
    std::vector<std::size_t> setStart_{0, 0};
    std::vector<std::int32_t> members_;

    // Per set: the set it becomes when the current VOI is added, valid when
    // stamped with the current VOI (so nothing is cleared between VOIs).
    std::int32_t currentVoi_ = -1;
    std::vector<std::int32_t> extendedStamp_{-1};
    std::vector<std::uint32_t> extendedTo_{0};
};

}  // namespace tessarin

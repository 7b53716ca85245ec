#include "geometry/voi_label_volume.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace tessarin {

namespace {

// The largest voxel count whose labels could be addressed even at 32 bits
// per voxel. Anything above is refused before any multiplication can wrap.
constexpr std::uint64_t kMaxCells =
    static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) / sizeof(std::uint32_t);

std::size_t checkedCellCount(std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ) {
    if (sizeX <= 0 || sizeY <= 0 || sizeZ <= 0) return 0;
    // Each factor is below 2^31, so the first product fits in 64 bits; the
    // second is checked by division before it is formed.
    const std::uint64_t plane = static_cast<std::uint64_t>(sizeX) * static_cast<std::uint64_t>(sizeY);
    if (plane > kMaxCells || static_cast<std::uint64_t>(sizeZ) > kMaxCells / plane) {
        throw std::length_error("VOI volume of " + std::to_string(sizeX) + " x " + std::to_string(sizeY) +
                                " x " + std::to_string(sizeZ) + " voxels is too large to hold");
    }
    return static_cast<std::size_t>(plane * static_cast<std::uint64_t>(sizeZ));
}

}  // namespace

VoiLabelVolume::VoiLabelVolume(std::int32_t sizeX, std::int32_t sizeY, std::int32_t sizeZ)
    : cellCount_(checkedCellCount(sizeX, sizeY, sizeZ)) {
    if (cellCount_ == 0) return;  // every cell lies outside: sizes stay 0
    sizeX_ = sizeX, sizeY_ = sizeY, sizeZ_ = sizeZ;
    width_ = 1;
    labels8_.assign(cellCount_, 0);
}

std::uint32_t VoiLabelVolume::labelAt(std::size_t at) const {
    switch (width_) {
        case 1: return labels8_[at];
        case 2: return labels16_[at];
        default: return labels32_[at];
    }
}

void VoiLabelVolume::setLabelAt(std::size_t at, std::uint32_t label) {
    switch (width_) {
        case 1: labels8_[at] = static_cast<std::uint8_t>(label); break;
        case 2: labels16_[at] = static_cast<std::uint16_t>(label); break;
        default: labels32_[at] = label; break;
    }
}

void VoiLabelVolume::beginVoi(std::int32_t voi) { currentVoi_ = voi; }

void VoiLabelVolume::markCell(std::size_t at) {
    const std::uint32_t previous = labelAt(at);
    // VOIs arrive from the highest index down, so the current VOI is the
    // smallest member of any set it has joined: a repeated voxel shows here.
    if (previous != 0 && members_[setStart_[previous]] == currentVoi_) return;
    // labelForCurrentVoi may widen the labels: look it up before writing.
    const std::uint32_t next = labelForCurrentVoi(previous);
    setLabelAt(at, next);
}

std::uint32_t VoiLabelVolume::labelForCurrentVoi(std::uint32_t previous) {
    if (extendedStamp_[previous] == currentVoi_) return extendedTo_[previous];
    const std::size_t id = setCount();
    if (id > std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("too many distinct VOI overlaps to label");
    }
    // The new set is the current VOI followed by the previous set's members,
    // which are all larger: it stays ascending without sorting. Distinct
    // previous sets give distinct new sets, so the table never repeats a set.
    const std::size_t from = setStart_[previous], to = setStart_[previous + 1];
    // Grown geometrically by hand: reserving the exact size on every new set
    // would copy the whole table each time.
    const std::size_t needed = members_.size() + 1 + (to - from);
    if (needed > members_.capacity()) members_.reserve(std::max(needed, 2 * members_.capacity()));
    members_.push_back(currentVoi_);
    for (std::size_t i = from; i < to; ++i) members_.push_back(members_[i]);
    setStart_.push_back(members_.size());
    extendedStamp_.push_back(-1);
    extendedTo_.push_back(0);
    extendedStamp_[previous] = currentVoi_;
    extendedTo_[previous] = static_cast<std::uint32_t>(id);
    if (width_ == 1 && id > std::numeric_limits<std::uint8_t>::max()) widen(2);
    if (width_ == 2 && id > std::numeric_limits<std::uint16_t>::max()) widen(4);
    return static_cast<std::uint32_t>(id);
}

void VoiLabelVolume::widen(std::size_t width) {
    if (width == 2) {
        labels16_.assign(labels8_.begin(), labels8_.end());
        std::vector<std::uint8_t>().swap(labels8_);
    } else {
        labels32_.assign(labels16_.begin(), labels16_.end());
        std::vector<std::uint16_t>().swap(labels16_);
    }
    width_ = width;
}

}  // namespace tessarin

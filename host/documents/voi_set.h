// The VOIs that the host shows on its volume document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/readers/label_volume.h"

namespace zevkalon {

// One VOI as the host holds it.
struct VoiData {
    std::int32_t label = 0;            // the label value it came from (0 for built VOIs)
    std::string name;                  // at most ZK_VOI_NAME_SIZE - 1 bytes once named
    std::int32_t color = 0;            // R * 65536 + G * 256 + B
    std::vector<std::int32_t> voxels;  // (i, j, k) triples of voxel indices

    std::int32_t nrOfVoxels() const { return static_cast<std::int32_t>(voxels.size() / 3); }
};

// One VOI per distinct non-zero label, in ascending label order; each VOI's
// voxels in storage order (i fastest, then j, then k). Names and colours are
// left empty: see nameVOIs.
std::vector<VoiData> voisFromLabels(const LabelVolume& volume);

}  // namespace zevkalon

#include "host/documents/voi_set.h"

#include <cstring>
#include <map>

namespace zevkalon {

std::vector<VoiData> voisFromLabels(const LabelVolume& volume) {
    // Most voxels of a volume are 0: rows without a label are skipped after
    // one comparison with a row of zeros (memcmp runs in wide steps).
    const std::size_t rowLength = static_cast<std::size_t>(volume.dims[0]);
    const std::vector<std::int32_t> zeroRow(rowLength, 0);
    const auto isEmptyRow = [&](std::size_t start) {
        return std::memcmp(volume.labels.data() + start, zeroRow.data(), rowLength * sizeof(std::int32_t)) == 0;
    };
    // Count first so every voxel list is allocated once: a whole-brain
    // parcellation has millions of labelled voxels. Neighbouring voxels
    // mostly share a label, so the last count (and below, the last list) is
    // kept at hand.
    std::map<std::int32_t, std::size_t> counts;
    std::int32_t countedLabel = 0;
    std::size_t* count = nullptr;
    for (std::size_t start = 0; start < volume.labels.size(); start += rowLength) {
        if (isEmptyRow(start)) continue;
        for (std::size_t i = start; i < start + rowLength; ++i) {
            const std::int32_t label = volume.labels[i];
            if (label == 0) continue;
            if (count == nullptr || label != countedLabel) {
                countedLabel = label;
                count = &counts[label];
            }
            ++*count;
        }
    }
    std::vector<VoiData> vois;
    std::map<std::int32_t, std::size_t> position;
    for (const auto& [label, voxels] : counts) {
        position[label] = vois.size();
        VoiData voi;
        voi.label = label;
        voi.voxels.reserve(voxels * 3);
        vois.push_back(std::move(voi));
    }
    std::int32_t lastLabel = 0;
    std::vector<std::int32_t>* last = nullptr;
    std::size_t index = 0;
    for (std::int32_t k = 0; k < volume.dims[2]; ++k) {
        for (std::int32_t j = 0; j < volume.dims[1]; ++j) {
            if (isEmptyRow(index)) {
                index += rowLength;
                continue;
            }
            for (std::int32_t i = 0; i < volume.dims[0]; ++i, ++index) {
                const std::int32_t label = volume.labels[index];
                if (label == 0) continue;
                if (last == nullptr || label != lastLabel) {
                    lastLabel = label;
                    last = &vois[position[label]].voxels;
                }
                last->push_back(i), last->push_back(j), last->push_back(k);
            }
        }
    }
    return vois;
}

}  // namespace zevkalon

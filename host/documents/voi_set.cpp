#include "host/documents/voi_set.h"

#include <map>

namespace zevkalon {

std::vector<VoiData> voisFromLabels(const LabelVolume& volume) {
    // Count first so every voxel list is allocated once: a whole-brain
    // parcellation has millions of labelled voxels.
    std::map<std::int32_t, std::size_t> counts;
    for (std::int32_t label : volume.labels) {
        if (label != 0) ++counts[label];
    }
    std::vector<VoiData> vois;
    std::map<std::int32_t, std::size_t> position;
    for (const auto& [label, count] : counts) {
        position[label] = vois.size();
        VoiData voi;
        voi.label = label;
        voi.voxels.reserve(count * 3);
        vois.push_back(std::move(voi));
    }
    // Neighbouring voxels mostly share a label, so the last list is kept at hand.
    std::int32_t lastLabel = 0;
    std::vector<std::int32_t>* last = nullptr;
    std::size_t index = 0;
    for (std::int32_t k = 0; k < volume.dims[2]; ++k) {
        for (std::int32_t j = 0; j < volume.dims[1]; ++j) {
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

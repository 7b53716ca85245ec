#include "host/exports/gifti_label_writer.h"

#include <algorithm>
#include <map>
#include <set>

#include "host/exports/output_file.h"

namespace zevkalon {

std::vector<std::int32_t> poiLabelKeys(const tessarin::POIFile& pois, const std::vector<std::int32_t>& sourceLabels) {
    std::vector<std::int32_t> keys(pois.POIs.size());
    const std::set<std::int32_t> distinct(sourceLabels.begin(), sourceLabels.end());
    const bool useSource = sourceLabels.size() == keys.size() && distinct.size() == keys.size() && distinct.count(0) == 0;
    for (std::size_t p = 0; p < keys.size(); ++p) keys[p] = useSource ? sourceLabels[p] : static_cast<std::int32_t>(p + 1);
    return keys;
}

std::vector<std::string> distinctPoiNames(const tessarin::POIFile& pois) {
    std::vector<std::string> names;
    std::map<std::string, int> uses;
    for (const tessarin::POIRecord& record : pois.POIs) {
        const int use = ++uses[record.NameOfPOI];
        names.push_back(use > 1 ? record.NameOfPOI + " #" + std::to_string(use) : record.NameOfPOI);
    }
    return names;
}

std::vector<std::int32_t> vertexLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                       const std::vector<std::int32_t>& keys) {
    std::vector<std::int32_t> labels(static_cast<std::size_t>(std::max(nrOfVertices, 0)), 0);
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        const std::int32_t key = p < keys.size() ? keys[p] : static_cast<std::int32_t>(p + 1);
        for (std::int32_t vertex : pois.POIs[p].Vertices) {
            if (vertex < 0 || vertex >= nrOfVertices) continue;
            std::int32_t& label = labels[static_cast<std::size_t>(vertex)];
            if (label == 0) label = key;
        }
    }
    return labels;
}

gifti::Document giftiLabelDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                   const std::vector<std::int32_t>& keys, const std::string& structure) {
    gifti::Document document;
    if (!structure.empty()) document.meta = {{"AnatomicalStructurePrimary", structure}};
    document.hasLabelTable = true;
    document.labels.push_back({0, "???", {0.0f, 0.0f, 0.0f, 0.0f}});
    const std::vector<std::string> names = distinctPoiNames(pois);
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        gifti::Label label;
        label.key = p < keys.size() ? keys[p] : static_cast<std::int32_t>(p + 1);
        label.name = names[p];
        for (int c = 0; c < 3; ++c) label.rgba[c] = static_cast<float>(pois.POIs[p].ColorOfPOI[c]) / 255.0f;
        label.rgba[3] = 1.0f;
        document.labels.push_back(std::move(label));
    }
    gifti::DataArray array;
    array.intent = "NIFTI_INTENT_LABEL";
    array.rows = std::max(nrOfVertices, 0);
    array.ints = vertexLabels(pois, nrOfVertices, keys);
    array.meta = {{"Name", "POIs"}};
    document.arrays.push_back(std::move(array));
    return document;
}

void writeGiftiLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                      const std::vector<std::int32_t>& keys, const std::string& structure) {
    const gifti::Document document = giftiLabelDocument(pois, nrOfVertices, keys, structure);
    writeOutputFile(path, "--export-label-gii", [&](std::ostream& out) { gifti::writeGifti(out, document); });
}

}  // namespace zevkalon

#include "host/exports/gifti_label_writer.h"

#include <algorithm>
#include <map>

#include "host/exports/output_file.h"

namespace zevkalon {

std::vector<std::int32_t> vertexLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices) {
    std::vector<std::int32_t> labels(static_cast<std::size_t>(std::max(nrOfVertices, 0)), 0);
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        for (std::int32_t vertex : pois.POIs[p].Vertices) {
            if (vertex < 0 || vertex >= nrOfVertices) continue;
            std::int32_t& label = labels[static_cast<std::size_t>(vertex)];
            if (label == 0) label = static_cast<std::int32_t>(p + 1);
        }
    }
    return labels;
}

gifti::Document giftiLabelDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices) {
    gifti::Document document;
    document.hasLabelTable = true;
    document.labels.push_back({0, "???", {0.0f, 0.0f, 0.0f, 0.0f}});
    std::map<std::string, int> uses;
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        const tessarin::POIRecord& record = pois.POIs[p];
        gifti::Label label;
        label.key = static_cast<std::int32_t>(p + 1);
        label.name = record.NameOfPOI;
        const int use = ++uses[label.name];
        if (use > 1) label.name += " #" + std::to_string(use);
        for (int c = 0; c < 3; ++c) label.rgba[c] = static_cast<float>(record.ColorOfPOI[c]) / 255.0f;
        label.rgba[3] = 1.0f;
        document.labels.push_back(std::move(label));
    }
    gifti::DataArray array;
    array.intent = "NIFTI_INTENT_LABEL";
    array.rows = std::max(nrOfVertices, 0);
    array.ints = vertexLabels(pois, nrOfVertices);
    array.meta = {{"Name", "POIs"}};
    document.arrays.push_back(std::move(array));
    return document;
}

void writeGiftiLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path) {
    const gifti::Document document = giftiLabelDocument(pois, nrOfVertices);
    writeOutputFile(path, "--export-label-gii", [&](std::ostream& out) { gifti::writeGifti(out, document); });
}

}  // namespace zevkalon

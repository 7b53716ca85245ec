#include "host/exports/gifti_roi_writer.h"

#include <algorithm>

#include "host/exports/gifti_label_writer.h"
#include "host/exports/output_file.h"

namespace zevkalon {

gifti::Document giftiRoiDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                 const std::string& structure) {
    gifti::Document document;
    if (!structure.empty()) document.meta = {{"AnatomicalStructurePrimary", structure}};
    const std::vector<std::string> names = distinctPoiNames(pois);
    const std::size_t count = static_cast<std::size_t>(std::max(nrOfVertices, 0));
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        gifti::DataArray column;
        column.intent = "NIFTI_INTENT_NONE";
        column.rows = static_cast<std::int64_t>(count);
        column.floats.assign(count, 0.0f);
        for (std::int32_t vertex : pois.POIs[p].Vertices) {
            if (vertex >= 0 && static_cast<std::size_t>(vertex) < count) column.floats[static_cast<std::size_t>(vertex)] = 1.0f;
        }
        column.meta = {{"Name", names[p]}};
        document.arrays.push_back(std::move(column));
    }
    return document;
}

void writeGiftiRois(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                    const std::string& structure) {
    const gifti::Document document = giftiRoiDocument(pois, nrOfVertices, structure);
    writeOutputFile(path, "--export-rois-gii", [&](std::ostream& out) { gifti::writeGifti(out, document); });
}

}  // namespace zevkalon

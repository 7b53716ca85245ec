#include "host/exports/gifti_roi_writer.h"

#include <algorithm>

#include "host/exports/gifti_label_writer.h"
#include "host/exports/output_file.h"

namespace zevkalon {

namespace {

gifti::Document roiHead(const std::string& structure) {
    gifti::Document document;
    if (!structure.empty()) document.meta = {{"AnatomicalStructurePrimary", structure}};
    return document;
}

gifti::DataArray roiColumn(const tessarin::POIRecord& poi, std::size_t count, const std::string& name) {
    gifti::DataArray column;
    column.intent = "NIFTI_INTENT_NONE";
    column.rows = static_cast<std::int64_t>(count);
    column.floats.assign(count, 0.0f);
    for (std::int32_t vertex : poi.Vertices) {
        if (vertex >= 0 && static_cast<std::size_t>(vertex) < count) column.floats[static_cast<std::size_t>(vertex)] = 1.0f;
    }
    column.meta = {{"Name", name}};
    return column;
}

std::size_t vertexCount(std::int32_t nrOfVertices) { return static_cast<std::size_t>(std::max(nrOfVertices, 0)); }

}  // namespace

gifti::Document giftiRoiDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                 const std::string& structure) {
    gifti::Document document = roiHead(structure);
    const std::vector<std::string> names = distinctPoiNames(pois);
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        document.arrays.push_back(roiColumn(pois.POIs[p], vertexCount(nrOfVertices), names[p]));
    }
    return document;
}

void writeGiftiRois(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                    const std::string& structure) {
    // A column per POI is a float per vertex: for a whole brain, hundreds of
    // megabytes if held at once, so each is made as it is written.
    const std::vector<std::string> names = distinctPoiNames(pois);
    writeOutputFile(path, "--export-rois-gii", [&](std::ostream& out) {
        gifti::writeGifti(out, roiHead(structure), pois.POIs.size(), [&](std::size_t p) {
            return roiColumn(pois.POIs[p], vertexCount(nrOfVertices), names[p]);
        });
    });
}

}  // namespace zevkalon

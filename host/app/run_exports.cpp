#include "host/app/run_exports.h"

#include <ostream>

#include "host/exports/annot_writer.h"
#include "host/exports/gifti_label_writer.h"
#include "host/exports/gifti_roi_writer.h"
#include "host/exports/poi_report.h"
#include "host/exports/structure_name.h"

namespace zevkalon {

bool wantsExports(const HostOptions& options) {
    return !options.exportLabelGii.empty() || !options.exportAnnot.empty() || !options.exportRoisGii.empty() ||
           !options.report.empty();
}

void writeExports(const HostOptions& options, const ExportInputs& inputs, const tessarin::POIFile& pois,
                  const HostMesh& mesh, std::ostream& messages) {
    const std::int32_t vertices = mesh.nrOfVertices();
    const std::vector<std::int32_t> keys = poiLabelKeys(pois, inputs.sourceLabels);
    std::string structure;
    if (!options.exportLabelGii.empty() || !options.exportRoisGii.empty()) {
        const StructureChoice choice = chooseStructure(inputs.fileStructure, options.structure, inputs.surfacePath);
        messages << "zevkalon: " << (choice.warning ? "warning: " : "") << choice.message << '\n';
        structure = choice.name;
    }
    if (!options.exportLabelGii.empty()) {
        writeGiftiLabels(pois, vertices, options.exportLabelGii, keys, structure);
        messages << "zevkalon: wrote " << pois.POIs.size() << " POI labels to " << options.exportLabelGii << '\n';
    }
    if (!options.exportAnnot.empty()) {
        writeAnnotationFile(pois, vertices, options.exportAnnot, messages);
        messages << "zevkalon: wrote " << pois.POIs.size() << " POI labels to " << options.exportAnnot << '\n';
    }
    if (!options.exportRoisGii.empty()) {
        writeGiftiRois(pois, vertices, options.exportRoisGii, structure);
        messages << "zevkalon: wrote " << pois.POIs.size() << " POI columns to " << options.exportRoisGii << '\n';
    }
    if (!options.report.empty()) {
        // The VOIs behind the POIs are known only when there is one POI per VOI.
        const bool matched = inputs.voxels.size() == pois.POIs.size();
        const ReportSurface surface{&inputs.worldPositions, &mesh.triangles, &mesh.neighbours};
        writeReport(poiReport(pois, keys, matched ? inputs.voxels : std::vector<std::int64_t>{}, surface),
                    options.report);
        messages << "zevkalon: wrote the report of " << pois.POIs.size() << " POIs to " << options.report << " and "
                 << reportSidecarPath(options.report) << '\n';
    }
}

}  // namespace zevkalon

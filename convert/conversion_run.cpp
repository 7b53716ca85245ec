#include "convert/conversion_run.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "convert/host_records.h"
#include "convert/log_line.h"
#include "convert/option_stages.h"
#include "convert/output_path.h"
#include "convert/poi_from_voi.h"
#include "convert/run_settings.h"
#include "convert/srf_check.h"
#include "geometry/vertex_bits.h"
#include "geometry/vertex_marks.h"
#include "geometry/voi_mapping.h"
#include "poi/poi_file.h"
#include "shell/host_functions.h"
#include "shell/zkr_log.h"

namespace tessarin {
namespace {

// The distance between neighbouring sample offsets along a vertex normal.
constexpr float kSampleStep = 0.1f;

void logOptions(const RunSettings& settings) {
    pluginLog << "Plugin>  Options chosen: ";
    if (settings.noOverlap) pluginLog << " <No overlap>  ";
    if (settings.largestPatch) pluginLog << " <Largest Patch>  ";
    if (settings.fillHoles) pluginLog << " <Fill Holes>  ";
    if (settings.smoothing()) pluginLog << " <Edge Smoothing>  ";
    deliverStreamedLine();
}

}  // namespace

void runConversion() {
    const RunSettings settings = readRunSettings();

    // Zero-filled so that fields a host leaves alone read as empty, not as garbage.
    SRFInfo srf{};
    zkSetAsCurrentDocument(1);
    zkGetCurrentSRF(&srf);
    // A bad record must end the run here, before any stage trusts its indices.
    checkSurfaceRecord(srf);

    POIFile poiFile;
    poiFile.FileVersion = 2;
    poiFile.FromMeshFile = srf.FileName != nullptr ? srf.FileName : "";
    poiFile.NrOfMeshVertices = srf.NrOfVertices;
    poiFile.NrOfPOIMTCs = 0;

    // The volume document stays current from here on, the final load included.
    VMRHeader header{};
    VOIsInfo vois{};
    zkSetAsCurrentDocument(0);
    zkGetMainHeaderOfCurrentVMR(&header);
    zkGetVOIs(&vois);
    const std::int32_t nrOfVOIs = vois.NrOfVOIs > 0 ? vois.NrOfVOIs : 0;
    poiFile.NrOfPOIs = nrOfVOIs;
    // The host may fill its inline path field to the last byte without a zero.
    const std::string voiFileName = hostFieldText(vois.FileName, sizeof vois.FileName);

    logFormatted("Plugin>  Starting conversion of %i VOIs in %s", vois.NrOfVOIs, voiFileName.c_str());
    pluginLog << "Plugin>  Looking from " << settings.from << " to " << settings.to;
    deliverStreamedLine();
    logOptions(settings);

    const SurfaceMesh mesh = surfaceMeshOf(srf);
    VOIInfo fetched{};
    std::vector<VertexList> mapped = mapVOIsToVertices(nrOfVOIs, voxelGridOf(header, vois), mesh, settings.from,
                                                       settings.to, kSampleStep, hostVoxelFetcher(fetched));
    // Record k must belong to VOI k; a short result would shift every name.
    if (mapped.size() != static_cast<std::size_t>(nrOfVOIs))
        throw std::logic_error("VOI mapping returned " + std::to_string(mapped.size()) + " lists for " +
                               std::to_string(nrOfVOIs) + " VOIs");

    poiFile.POIs.reserve(mapped.size());
    for (std::int32_t k = 0; k < nrOfVOIs; ++k) {
        VOIInfo info{};
        zkGetVOI(k, &info);
        const std::string name = hostFieldText(info.Name, sizeof info.Name);
        POIRecord poi = poiFromVOI(name, info.Color, std::move(mapped[static_cast<std::size_t>(k)]));
        logFormatted("Plugin>  Converted voi \"%s\" of %i voxels to %i poi vertices", name.c_str(), info.NrOfVoxels,
                     poi.NrOfVertices);
        poiFile.POIs.push_back(std::move(poi));
    }
    std::vector<VertexList>().swap(mapped);  // the lists now live in the records

    runOptionStages(poiFile, mesh, settings);

    poiFile.saveAs(replaceExtension(voiFileName, ".poi"));
    logFormatted("\nPlugin>  POI saved as \"%s\"", poiFile.FileName.c_str());
    zkLoadPOIs(poiFile.FileName.c_str());
}

void reportRunError(const char* text) noexcept {
    discardStreamedText();
    try {
        zkMessageBox(text);
    } catch (...) {
        // No way left to tell the user; the host must still not see an exception.
    }
}

bool executeConversionRun() noexcept {
    // Every error ends here: an exception must never unwind into the host's frames.
    // The run's data lives inside runConversion and is gone before the message box;
    // the geometry's pooled scratch marks go with it, so nothing of a run outlives it.
    bool finished = false;
    try {
        runConversion();
        finished = true;
    } catch (const std::exception& error) {
        reportRunError(error.what());
    } catch (...) {
        reportRunError("The conversion stopped because of an unknown error.");
    }
    releaseScratchMarks();
    releaseScratchBits();
    return finished;
}

}  // namespace tessarin

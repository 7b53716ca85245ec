#include "convert/option_stages.h"

#include <utility>
#include <vector>

#include "convert/log_line.h"
#include "geometry/mesh_index.h"
#include "geometry/overlap.h"
#include "geometry/patch_cleanup.h"
#include "geometry/patch_connectivity.h"
#include "shell/host_functions.h"
#include "shell/zkr_log.h"

namespace tessarin {
namespace {

std::int32_t lengthOf(const VertexList& vertices) { return static_cast<std::int32_t>(vertices.size()); }

// NrOfPOIs bounds every loop over the records; the run keeps it equal to
// POIs.size(), and the bound below keeps a mismatch from reading past it.
std::size_t recordCount(const POIFile& file) {
    const std::size_t stored = file.NrOfPOIs > 0 ? static_cast<std::size_t>(file.NrOfPOIs) : 0;
    return stored < file.POIs.size() ? stored : file.POIs.size();
}

}  // namespace

void keepLargestPatchStage(POIFile& file, const SurfaceMesh& mesh) {
    zkLogText("\nPlugin>  Only keeping the biggest surface patch");
    for (std::size_t i = 0; i < recordCount(file); ++i) {
        POIRecord& poi = file.POIs[i];
        if (poi.Vertices.size() <= 2) continue;
        const LargestPatchResult result = keepLargestPatch(poi.Vertices, mesh);
        logFormatted("Plugin>  POI %s had %i patches, surface change %.2f -> %.2f mm2 ", poi.NameOfPOI.c_str(),
                     result.nrOfPatches, static_cast<double>(result.areaBefore),
                     static_cast<double>(result.areaKept));
        poi.NrOfVertices = lengthOf(poi.Vertices);
    }
}

void fillHolesStage(POIFile& file, const SurfaceMesh& mesh) {
    zkLogText("\nPlugin>  Filling holes in patches");
    for (std::size_t i = 0; i < recordCount(file); ++i) {
        POIRecord& poi = file.POIs[i];
        if (poi.Vertices.size() <= 2) continue;
        fillPatchHoles(poi.Vertices, mesh);
        // The stored count is still the old one here: it is the "before" figure.
        logFormatted("Plugin>  POI nr of vertices %s: %i -> %i", poi.NameOfPOI.c_str(), poi.NrOfVertices,
                     lengthOf(poi.Vertices));
        poi.NrOfVertices = lengthOf(poi.Vertices);
    }
}

void smoothingStage(POIFile& file, const SurfaceMesh& mesh, std::int32_t steps) {
    pluginLog << "\nPlugin>  Smooth patch edges by growing and shrinking " << steps << " steps";
    deliverStreamedLine();
    for (std::size_t i = 0; i < recordCount(file); ++i) {
        POIRecord& poi = file.POIs[i];
        if (poi.Vertices.empty()) continue;
        smoothPatchEdges(poi.Vertices, steps, mesh);
        logFormatted("Plugin>  POI nr of vertices %s: %i -> %i", poi.NameOfPOI.c_str(), poi.NrOfVertices,
                     lengthOf(poi.Vertices));
        poi.NrOfVertices = lengthOf(poi.Vertices);
    }
}

void noOverlapStage(POIFile& file, const SurfaceMesh& mesh) {
    VertexList overlap = findOverlapVertices(file);
    pluginLog << "\nPlugin>  Removing " << overlap.size() << " overlapping vertices, and start redistributing them.";
    deliverStreamedLine();

    const std::size_t count = recordCount(file);
    std::vector<std::int32_t> before(count), afterRemoval(count);
    for (std::size_t i = 0; i < count; ++i) before[i] = file.POIs[i].NrOfVertices;
    removeOverlapVertices(file, overlap);
    for (std::size_t i = 0; i < count; ++i) afterRemoval[i] = file.POIs[i].NrOfVertices;
    // The list is handed over: redistribution consumes it.
    redistributeVertices(file, std::move(overlap), mesh);

    for (std::size_t i = 0; i < count; ++i) {
        const POIRecord& poi = file.POIs[i];
        logFormatted("Plugin>  POI nr of vertices %s: %i -> %i -> %i", poi.NameOfPOI.c_str(), before[i],
                     afterRemoval[i], poi.NrOfVertices);
    }
}

void runOptionStages(POIFile& file, const SurfaceMesh& hostMesh, const RunSettings& settings) {
    if (!settings.largestPatch && !settings.fillHoles && !settings.smoothing() && !settings.noOverlap) return;
    // The stages call their operations once per POI on one mesh: tables
    // derived from it once spare every call a scan of the whole mesh.
    const MeshIndex index = buildMeshIndex(hostMesh);
    SurfaceMesh mesh = hostMesh;
    mesh.index = &index;
    if (settings.largestPatch) keepLargestPatchStage(file, mesh);
    if (settings.fillHoles) fillHolesStage(file, mesh);
    if (settings.smoothing()) smoothingStage(file, mesh, settings.smoothSteps);
    if (settings.noOverlap) noOverlapStage(file, mesh);
}

}  // namespace tessarin

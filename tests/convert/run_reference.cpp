#include "tests/convert/run_reference.h"

#include <cstdarg>
#include <cstdio>
#include <sstream>

#include "geometry/overlap.h"
#include "geometry/patch_cleanup.h"
#include "geometry/patch_connectivity.h"
#include "geometry/voi_mapping.h"
#include "geometry/mesh_shapes.h"

namespace tessarin::testing {
namespace {

struct Record {
    std::string name;
    int red = 0, green = 0, blue = 0;
    int label = 0;
    int stored = 0;
    VertexList vertices;
};

int param(const fakehost::Scene& scene, const char* name) {
    const auto found = scene.intParameters.find(name);
    return found == scene.intParameters.end() ? 0 : found->second;
}

float floatParam(const fakehost::Scene& scene, const char* name) {
    const auto found = scene.floatParameters.find(name);
    return found == scene.floatParameters.end() ? 0.0f : found->second;
}

std::string printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printed(const char* format, ...) {
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

std::string poiText(const fakehost::Scene& scene, const std::vector<Record>& records) {
    std::string text = "FileVersion:      2\n\nFromMeshFile:     \"" + scene.meshFileName + "\"\n\n";
    text += "NrOfMeshVertices: " + std::to_string(scene.mesh.nrOfVertices()) + "\n\n\n";
    text += "NrOfPOIs:         " + std::to_string(records.size()) + "\n\n";
    for (const Record& r : records) {
        text += "NameOfPOI:        \"" + r.name + "\"\nInfoTextFile:     \"\"\n";
        text += "ColorOfPOI:       " + std::to_string(r.red) + " " + std::to_string(r.green) + " " +
                std::to_string(r.blue) + "\n";
        text += "LabelVertex:      " + std::to_string(r.label) + "\n";
        text += "NrOfVertices:     " + std::to_string(r.vertices.size()) + "\n";
        for (int v : r.vertices) text += std::to_string(v) + "\n";
        text += "\n";
    }
    return text + "\nNrOfPOIMTCs: 0\n";
}

// The stage logic on the test side works on a POIFile only where the
// overlap operations need one.
POIFile asPOIFile(const std::vector<Record>& records) {
    POIFile file;
    for (const Record& r : records) {
        POIRecord poi;
        poi.NameOfPOI = r.name;
        poi.Vertices = r.vertices;
        poi.NrOfVertices = static_cast<std::int32_t>(r.vertices.size());
        file.POIs.push_back(poi);
    }
    file.NrOfPOIs = static_cast<std::int32_t>(records.size());
    return file;
}

}  // namespace

ExpectedRun expectedRun(const fakehost::Scene& scene) {
    ExpectedRun run;
    const float from = floatParam(scene, "From"), to = floatParam(scene, "To");
    const bool noOverlap = param(scene, "NoOverlap") == 1, largest = param(scene, "LargestPatch") == 1,
               fill = param(scene, "FillHoles") == 1;
    const int smooth = param(scene, "NrSmooth");

    run.log.push_back(printed("Plugin>  Starting conversion of %i VOIs in %s", static_cast<int>(scene.vois.size()),
                              scene.voisFileName.c_str()));
    std::ostringstream looking;
    looking << "Plugin>  Looking from " << from << " to " << to;
    run.log.push_back(looking.str());
    run.log.push_back(std::string("Plugin>  Options chosen: ") + (noOverlap ? " <No overlap>  " : "") +
                      (largest ? " <Largest Patch>  " : "") + (fill ? " <Fill Holes>  " : "") +
                      (smooth >= 1 ? " <Edge Smoothing>  " : ""));

    const SurfaceMesh mesh = scene.mesh.view();
    VoxelGrid grid;
    grid.dimX = scene.dimX, grid.dimY = scene.dimY, grid.dimZ = scene.dimZ;
    grid.orientationCode = scene.orientationCode, grid.coordsType = scene.coordsType;
    const auto mapped = mapVOIsToVertices(static_cast<std::int32_t>(scene.vois.size()), grid, mesh, from, to, 0.1f,
                                          [&scene](std::int32_t k) {
                                              const auto& voxels = scene.vois[static_cast<std::size_t>(k)].voxels;
                                              return VoxelTriples{voxels.data(),
                                                                  static_cast<std::int32_t>(voxels.size() / 3)};
                                          });

    std::vector<Record> records;
    for (std::size_t k = 0; k < scene.vois.size(); ++k) {
        const fakehost::VOI& voi = scene.vois[k];
        Record r;
        r.vertices = mapped[k];
        r.stored = static_cast<int>(r.vertices.size());
        r.name = voi.name + (r.vertices.empty() ? " (empty)" : "");
        r.red = (voi.color >> 16) & 0xFF, r.green = (voi.color >> 8) & 0xFF, r.blue = voi.color & 0xFF;
        r.label = r.vertices.empty() ? 0 : r.vertices.front();
        run.log.push_back(printed("Plugin>  Converted voi \"%s\" of %i voxels to %i poi vertices", voi.name.c_str(),
                                  static_cast<int>(voi.voxels.size() / 3), r.stored));
        records.push_back(r);
    }

    if (largest) {
        run.log.push_back("\nPlugin>  Only keeping the biggest surface patch");
        for (Record& r : records) {
            if (r.vertices.size() < 3) continue;
            const LargestPatchResult kept = keepLargestPatch(r.vertices, mesh);
            run.log.push_back(printed("Plugin>  POI %s had %i patches, surface change %.2f -> %.2f mm2 ",
                                      r.name.c_str(), kept.nrOfPatches, kept.areaBefore, kept.areaKept));
            r.stored = static_cast<int>(r.vertices.size());
        }
    }
    if (fill) {
        run.log.push_back("\nPlugin>  Filling holes in patches");
        for (Record& r : records) {
            if (r.vertices.size() < 3) continue;
            fillPatchHoles(r.vertices, mesh);
            run.log.push_back(printed("Plugin>  POI nr of vertices %s: %i -> %i", r.name.c_str(), r.stored,
                                      static_cast<int>(r.vertices.size())));
            r.stored = static_cast<int>(r.vertices.size());
        }
    }
    if (smooth >= 1) {
        run.log.push_back("\nPlugin>  Smooth patch edges by growing and shrinking " + std::to_string(smooth) +
                          " steps");
        for (Record& r : records) {
            if (r.vertices.empty()) continue;
            smoothPatchEdges(r.vertices, smooth, mesh);
            run.log.push_back(printed("Plugin>  POI nr of vertices %s: %i -> %i", r.name.c_str(), r.stored,
                                      static_cast<int>(r.vertices.size())));
            r.stored = static_cast<int>(r.vertices.size());
        }
    }
    if (noOverlap) {
        POIFile file = asPOIFile(records);
        VertexList overlap = findOverlapVertices(file);
        run.log.push_back("\nPlugin>  Removing " + std::to_string(overlap.size()) +
                          " overlapping vertices, and start redistributing them.");
        removeOverlapVertices(file, overlap);
        std::vector<int> middle;
        for (const POIRecord& poi : file.POIs) middle.push_back(static_cast<int>(poi.Vertices.size()));
        redistributeVertices(file, overlap, mesh);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const int after = static_cast<int>(file.POIs[i].Vertices.size());
            run.log.push_back(printed("Plugin>  POI nr of vertices %s: %i -> %i -> %i", records[i].name.c_str(),
                                      records[i].stored, middle[i], after));
            records[i].vertices = file.POIs[i].Vertices;
        }
    }

    const std::size_t dot = scene.voisFileName.rfind('.');
    run.poiPath = (dot == std::string::npos ? scene.voisFileName : scene.voisFileName.substr(0, dot)) + ".poi";
    run.log.push_back("\nPlugin>  POI saved as \"" + run.poiPath + "\"");
    run.poiText = poiText(scene, records);
    return run;
}

void setOptions(fakehost::Scene& scene, unsigned combination, int smoothSteps) {
    // Off is sometimes 0 and sometimes another value than 1: only 1 is on.
    const int off = (combination % 3 == 0) ? 2 : 0;
    scene.intParameters["NoOverlap"] = (combination & 1) ? 1 : off;
    scene.intParameters["LargestPatch"] = (combination & 2) ? 1 : off;
    scene.intParameters["FillHoles"] = (combination & 4) ? 1 : -1;
    scene.intParameters["NrSmooth"] = (combination & 8) ? smoothSteps : (combination % 2 ? 0 : -3);
}

fakehost::Scene gridScene(int columns, int rows) {
    fakehost::Scene scene;
    scene.mesh = makeGrid(columns, rows, 1.0f);
    scene.dimX = columns;
    scene.dimY = rows;
    scene.dimZ = 1;
    scene.coordsType = 0;
    scene.floatParameters["From"] = -0.3f;
    scene.floatParameters["To"] = 0.25f;
    return scene;
}

void addVOI(fakehost::Scene& scene, const std::string& name, int colour,
            const std::vector<std::pair<int, int>>& cells) {
    fakehost::VOI voi;
    voi.name = name;
    voi.color = colour;
    for (const auto& [i, j] : cells) voi.voxels.insert(voi.voxels.end(), {i, j, 0});
    scene.vois.push_back(voi);
}

}  // namespace tessarin::testing

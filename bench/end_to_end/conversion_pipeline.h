// The conversion run replayed inside the benchmark program, phase by phase,
// with either the library's geometry operations or their literal reference
// versions. The plug-in is timed through its C ABI; this replay gives each
// literal phase exactly the input that the plug-in's phase had (checked by
// comparing the replay's POI text with the plug-in's file).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/end_to_end/brain_scene.h"
#include "bench/end_to_end/phase_times.h"
#include "geometry/patch_connectivity.h"
#include "geometry/surface_mesh.h"
#include "geometry/voi_mapping.h"
#include "poi/poi_file.h"

namespace tessarin::bench {

struct RunOptions {
    float from = -1.0f;
    float to = 3.0f;
    bool largestPatch = true;
    bool fillHoles = true;
    std::int32_t smoothSteps = 2;
    bool noOverlap = true;
};

// The geometry operations a replay uses.
struct GeometryOps {
    std::vector<VertexList> (*map)(std::int32_t, const VoxelGrid&, const SurfaceMesh&, float, float, float,
                                   const VoxelFetcher&);
    LargestPatchResult (*keepLargestPatch)(VertexList&, const SurfaceMesh&);
    void (*fillPatchHoles)(VertexList&, const SurfaceMesh&);
    void (*smoothPatchEdges)(VertexList&, std::int32_t, const SurfaceMesh&);
    VertexList (*findOverlapVertices)(const POIFile&);
    void (*removeOverlapVertices)(POIFile&, const VertexList&);
    void (*redistributeVertices)(POIFile&, VertexList, const SurfaceMesh&);
};
const GeometryOps& libraryOps();
const GeometryOps& literalOps();


// The mapping of every VOI (step 0.1, plain voxel coordinates).
std::vector<VertexList> mapScene(const GeometryOps& ops, const BrainScene& scene, const RunOptions& options);

// One record per VOI from the mapped lists, as the run makes them.
POIFile buildRecords(const BrainScene& scene, const std::vector<VertexList>& mapped, const std::string& meshFileName);

// One option stage on the records (only the record tests and count updates
// of the run; no log lines). Precondition: phase is one of the four stages.
void runStage(Phase phase, const GeometryOps& ops, POIFile& file, const SurfaceMesh& mesh, const RunOptions& options);

// The POI text written the plain way: one std::ofstream, every item
// inserted with operator<<. Returns false when the file cannot be written.
bool writeLiteral(const POIFile& file, const std::string& path);

}  // namespace tessarin::bench

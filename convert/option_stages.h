// The four optional clean-up stages that rework the POI records before saving.
#pragma once

#include "convert/run_settings.h"
#include "geometry/surface_mesh.h"
#include "poi/poi_file.h"

namespace tessarin {

// Runs, in this fixed order and each only when its setting is on:
//   1. largest patch  (settings.largestPatch): records with more than two vertices
//   2. fill holes     (settings.fillHoles):    records with more than two vertices
//   3. smoothing      (settings.smoothing()):  records with at least one vertex
//   4. no overlap     (settings.noOverlap):    all records
// Each stage logs its header line and one line per touched record (stage 4:
// per record), visits the records in index order 0 .. NrOfPOIs - 1, tests a
// record's current list length when it reaches it, and leaves NrOfVertices
// equal to the list length. Only Vertices and NrOfVertices change; names,
// colours and LabelVertex stay as they were.
// Precondition: NrOfPOIs == POIs.size(); every vertex index lies in the mesh.
void runOptionStages(POIFile& file, const SurfaceMesh& mesh, const RunSettings& settings);

// The stages one by one, for the order above.
void keepLargestPatchStage(POIFile& file, const SurfaceMesh& mesh);
void fillHolesStage(POIFile& file, const SurfaceMesh& mesh);
void smoothingStage(POIFile& file, const SurfaceMesh& mesh, std::int32_t steps);
void noOverlapStage(POIFile& file, const SurfaceMesh& mesh);

}  // namespace tessarin

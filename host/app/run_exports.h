// The files written after a run: label GIFTI, annotation, ROI GIFTI, report.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/app/cli_options.h"
#include "host/documents/host_mesh.h"
#include "poi/poi_file.h"

namespace zevkalon {

// What the exports need of the inputs besides the loaded POIs, per VOI in
// the order the plug-in received them.
struct ExportInputs {
    std::vector<std::int32_t> sourceLabels;  // label value (0 for VOIs built without one)
    std::vector<std::int64_t> voxels;        // voxel count
    std::vector<double> worldPositions;      // the surface in scanner (world) mm, x, y, z per vertex (--report only)
    std::string surfacePath;
    std::string fileStructure;               // the surface file's AnatomicalStructurePrimary, or empty
};

// True when the options ask for any export.
bool wantsExports(const HostOptions& options);

// Writes every export the options ask for, each atomically, and says so on
// messages. mesh is the surface document (its triangles and neighbours).
// Throws HostError(kExitExportFailed) naming the file that failed.
void writeExports(const HostOptions& options, const ExportInputs& inputs, const tessarin::POIFile& pois,
                  const HostMesh& mesh, std::ostream& messages);

}  // namespace zevkalon

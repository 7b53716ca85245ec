// The per-POI report: a tab-separated table with a JSON sidecar describing its columns.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/documents/neighbour_lists.h"
#include "poi/poi_file.h"

namespace zevkalon {

// The surface that areas and patches are measured on.
struct ReportSurface {
    const std::vector<double>* positions = nullptr;        // x, y, z per vertex, world mm
    const std::vector<std::int32_t>* triangles = nullptr;  // three indices per triangle
    const NeighbourLists* neighbours = nullptr;
};

struct PoiReportRow {
    std::int32_t index = 0;  // the label key (poiLabelKeys)
    std::string name;
    std::int32_t rgb[3] = {0, 0, 0};
    std::int64_t voxels = -1;  // of the VOI behind the POI; -1 when unknown
    std::int64_t vertices = 0;
    double areaMm2 = 0.0;      // each vertex counts a third of the area of its triangles
    std::int64_t patches = 0;  // connected through mesh edges between the POI's vertices
};

// One row per POI in file order. keys as poiLabelKeys gives them; voxels[p]
// the voxel count behind POI p (empty when not known). Vertices outside the
// surface are ignored (the POI reader has already refused them).
std::vector<PoiReportRow> poiReport(const tessarin::POIFile& pois, const std::vector<std::int32_t>& keys,
                                    const std::vector<std::int64_t>& voxels, const ReportSurface& surface);

// The table: a header line "index name color voxels vertices area_mm2
// patches empty" and one line per row, tab-separated; colour as #RRGGBB,
// area with three decimals, "n/a" for an unknown voxel count, empty "true"
// or "false". Tabs and line ends in names become spaces.
void writeReportTable(std::ostream& out, const std::vector<PoiReportRow>& rows);

// The JSON sidecar: one object per column with its description (and units).
void writeReportSidecar(std::ostream& out);

// The sidecar's path: the table's with ".tsv" replaced by ".json".
// Precondition: tablePath ends in ".tsv".
std::string reportSidecarPath(const std::string& tablePath);

// Writes the table to tablePath and the sidecar beside it, each atomically
// (see writeOutputFile). Throws HostError(kExitExportFailed) naming the path.
void writeReport(const std::vector<PoiReportRow>& rows, const std::string& tablePath);

}  // namespace zevkalon

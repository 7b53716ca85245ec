#include "host/exports/poi_report.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "host/exports/output_file.h"

namespace zevkalon {

namespace {

// A third of the area of every triangle to each of its corners.
std::vector<double> vertexAreas(const ReportSurface& surface) {
    const std::vector<double>& p = *surface.positions;
    std::vector<double> areas(p.size() / 3, 0.0);
    const std::vector<std::int32_t>& t = *surface.triangles;
    for (std::size_t i = 0; i + 2 < t.size(); i += 3) {
        const std::size_t a = 3 * static_cast<std::size_t>(t[i]), b = 3 * static_cast<std::size_t>(t[i + 1]),
                          c = 3 * static_cast<std::size_t>(t[i + 2]);
        const double u[3] = {p[b] - p[a], p[b + 1] - p[a + 1], p[b + 2] - p[a + 2]};
        const double w[3] = {p[c] - p[a], p[c + 1] - p[a + 1], p[c + 2] - p[a + 2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        const double third = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) / 6.0;
        for (std::size_t corner : {a, b, c}) areas[corner / 3] += third;
    }
    return areas;
}

std::string cleanName(std::string name) {
    for (char& c : name) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return name;
}

}  // namespace

std::vector<PoiReportRow> poiReport(const tessarin::POIFile& pois, const std::vector<std::int32_t>& keys,
                                    const std::vector<std::int64_t>& voxels, const ReportSurface& surface) {
    const std::vector<double> areas = vertexAreas(surface);
    const std::size_t count = areas.size();
    // mark[v] == p + 1 while POI p is measured: no clearing between POIs.
    std::vector<std::size_t> mark(count, 0), seen(count, 0);
    std::vector<std::int32_t> stack;
    std::vector<PoiReportRow> rows;
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        const tessarin::POIRecord& record = pois.POIs[p];
        PoiReportRow row;
        row.index = keys[p];
        row.name = record.NameOfPOI;
        for (int c = 0; c < 3; ++c) row.rgb[c] = record.ColorOfPOI[c];
        row.voxels = p < voxels.size() ? voxels[p] : -1;
        row.vertices = static_cast<std::int64_t>(record.Vertices.size());
        for (std::int32_t v : record.Vertices) {
            if (v < 0 || static_cast<std::size_t>(v) >= count || mark[static_cast<std::size_t>(v)] == p + 1) continue;
            mark[static_cast<std::size_t>(v)] = p + 1;
            row.areaMm2 += areas[static_cast<std::size_t>(v)];
        }
        for (std::int32_t start : record.Vertices) {
            if (start < 0 || static_cast<std::size_t>(start) >= count || seen[static_cast<std::size_t>(start)] == p + 1) continue;
            ++row.patches;
            seen[static_cast<std::size_t>(start)] = p + 1;
            stack.assign(1, start);
            while (!stack.empty()) {
                const std::int32_t v = stack.back();
                stack.pop_back();
                for (const std::int32_t* w = surface.neighbours->begin(v); w != surface.neighbours->end(v); ++w) {
                    const std::size_t u = static_cast<std::size_t>(*w);
                    if (mark[u] == p + 1 && seen[u] != p + 1) {
                        seen[u] = p + 1;
                        stack.push_back(*w);
                    }
                }
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void writeReportTable(std::ostream& out, const std::vector<PoiReportRow>& rows) {
    out << "index\tname\tcolor\tvoxels\tvertices\tarea_mm2\tpatches\tempty\n";
    for (const PoiReportRow& row : rows) {
        char colour[8], area[32];
        std::snprintf(colour, sizeof colour, "#%02X%02X%02X", row.rgb[0] & 0xFF, row.rgb[1] & 0xFF, row.rgb[2] & 0xFF);
        std::snprintf(area, sizeof area, "%.3f", row.areaMm2);
        out << row.index << '\t' << cleanName(row.name) << '\t' << colour << '\t';
        if (row.voxels < 0) {
            out << "n/a";
        } else {
            out << row.voxels;
        }
        out << '\t' << row.vertices << '\t' << area << '\t' << row.patches << '\t'
            << (row.vertices == 0 ? "true" : "false") << '\n';
    }
}

void writeReportSidecar(std::ostream& out) {
    out << R"({
  "index": {
    "LongName": "Label value",
    "Description": "The label value of the voxels the POI was made from (its key in the label GIFTI export); the POI's position, counted from 1, when the volume gave none."
  },
  "name": {
    "Description": "The POI's name, as in the POI file."
  },
  "color": {
    "Description": "The POI's colour, #RRGGBB."
  },
  "voxels": {
    "Description": "Number of voxels of the VOI the POI was made from."
  },
  "vertices": {
    "Description": "Number of surface vertices in the POI, as in the POI file."
  },
  "area_mm2": {
    "LongName": "Surface area",
    "Description": "Area of the POI on the surface in scanner (world) space: each vertex counts a third of the area of every triangle it belongs to.",
    "Units": "mm^2"
  },
  "patches": {
    "Description": "Number of connected patches of the POI: its vertices joined through mesh edges."
  },
  "empty": {
    "Description": "Whether the POI holds no vertex.",
    "Levels": {
      "true": "no vertex of the surface was reached",
      "false": "the POI holds at least one vertex"
    }
  }
}
)";
}

std::string reportSidecarPath(const std::string& tablePath) {
    return tablePath.substr(0, tablePath.size() - 4) + ".json";
}

void writeReport(const std::vector<PoiReportRow>& rows, const std::string& tablePath) {
    writeOutputFile(tablePath, "--report", [&](std::ostream& out) { writeReportTable(out, rows); });
    writeOutputFile(reportSidecarPath(tablePath), "--report", writeReportSidecar);
}

}  // namespace zevkalon

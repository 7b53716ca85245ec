#include "bench/end_to_end/conversion_pipeline.h"

#include <fstream>

#include "geometry/one_ring.h"
#include "geometry/overlap.h"
#include "geometry/patch_cleanup.h"
#include "tests/support/reference_mapping.h"
#include "tests/support/reference_patch_ops.h"

namespace tessarin::bench {

const GeometryOps& libraryOps() {
    static const GeometryOps ops = {mapVOIsToVertices,     keepLargestPatch,      fillPatchHoles,      smoothPatchEdges,
                                    findOverlapVertices,   removeOverlapVertices, redistributeVertices};
    return ops;
}

const GeometryOps& literalOps() {
    static const GeometryOps ops = {testing::referenceMapVOIsToVertices, reference::keepLargestPatch,
                                    reference::fillPatchHoles,           reference::smoothPatchEdges,
                                    reference::findOverlapVertices,      reference::removeOverlapVertices,
                                    reference::redistributeVertices};
    return ops;
}


std::vector<VertexList> mapScene(const GeometryOps& ops, const BrainScene& scene, const RunOptions& options) {
    VoxelGrid grid;
    grid.dimX = scene.dims[0], grid.dimY = scene.dims[1], grid.dimZ = scene.dims[2];
    grid.coordsType = 0;
    const SurfaceMesh mesh = scene.mesh.view();
    return ops.map(static_cast<std::int32_t>(scene.vois.size()), grid, mesh, options.from, options.to, 0.1f,
                   [&scene](std::int32_t k) {
                       const auto& voxels = scene.vois[static_cast<std::size_t>(k)].voxels;
                       return VoxelTriples{voxels.data(), static_cast<std::int32_t>(voxels.size() / 3)};
                   });
}

POIFile buildRecords(const BrainScene& scene, const std::vector<VertexList>& mapped, const std::string& meshFileName) {
    POIFile file;
    file.FileVersion = 2;
    file.FromMeshFile = meshFileName;
    file.NrOfMeshVertices = scene.mesh.nrOfVertices();
    file.NrOfPOIs = static_cast<std::int32_t>(scene.vois.size());
    for (std::size_t k = 0; k < scene.vois.size(); ++k) {
        POIRecord record;
        record.Vertices = mapped[k];
        record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
        const std::int32_t color = scene.vois[k].color;
        record.ColorOfPOI[0] = (color >> 16) & 0xFF;
        record.ColorOfPOI[1] = (color >> 8) & 0xFF;
        record.ColorOfPOI[2] = color & 0xFF;
        record.NameOfPOI = scene.vois[k].name + (record.Vertices.empty() ? " (empty)" : "");
        record.LabelVertex = record.Vertices.empty() ? 0 : record.Vertices.front();
        file.POIs.push_back(std::move(record));
    }
    return file;
}

void runStage(Phase phase, const GeometryOps& ops, POIFile& file, const SurfaceMesh& mesh, const RunOptions& options) {
    switch (phase) {
        case Phase::LargestPatch:
            for (POIRecord& record : file.POIs) {
                if (record.Vertices.size() <= 2) continue;
                ops.keepLargestPatch(record.Vertices, mesh);
                record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
            }
            break;
        case Phase::FillHoles:
            for (POIRecord& record : file.POIs) {
                if (record.Vertices.size() <= 2) continue;
                ops.fillPatchHoles(record.Vertices, mesh);
                record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
            }
            break;
        case Phase::Smoothing:
            for (POIRecord& record : file.POIs) {
                if (record.Vertices.empty()) continue;
                ops.smoothPatchEdges(record.Vertices, options.smoothSteps, mesh);
                record.NrOfVertices = static_cast<std::int32_t>(record.Vertices.size());
            }
            break;
        case Phase::NoOverlap: {
            const VertexList overlap = ops.findOverlapVertices(file);
            ops.removeOverlapVertices(file, overlap);
            ops.redistributeVertices(file, overlap, mesh);
            break;
        }
        default:
            break;
    }
}

bool writeLiteral(const POIFile& file, const std::string& path) {
    std::ofstream out(path);
    if (!out) return false;
    out << "FileVersion:      " << file.FileVersion << "\n\n";
    out << "FromMeshFile:     \"" << file.FromMeshFile << "\"\n\n";
    out << "NrOfMeshVertices: " << file.NrOfMeshVertices << "\n\n\n";
    out << "NrOfPOIs:         " << file.NrOfPOIs << "\n\n";
    for (std::int32_t i = 0; i < file.NrOfPOIs; ++i) {
        const POIRecord& poi = file.POIs[static_cast<std::size_t>(i)];
        out << "NameOfPOI:        \"" << poi.NameOfPOI << "\"\n";
        out << "InfoTextFile:     \"" << poi.InfoTextFile << "\"\n";
        out << "ColorOfPOI:       " << poi.ColorOfPOI[0] << " " << poi.ColorOfPOI[1] << " " << poi.ColorOfPOI[2] << "\n";
        out << "LabelVertex:      " << poi.LabelVertex << "\n";
        out << "NrOfVertices:     " << poi.NrOfVertices << "\n";
        for (std::int32_t v = 0; v < poi.NrOfVertices; ++v) out << poi.Vertices[static_cast<std::size_t>(v)] << "\n";
        out << "\n";
    }
    out << "\n";
    out << "NrOfPOIMTCs: " << file.NrOfPOIMTCs << "\n";
    out.close();
    return !out.fail();
}

}  // namespace tessarin::bench

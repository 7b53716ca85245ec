#include "convert/host_records.h"

#include "shell/host_functions.h"

namespace tessarin {

SurfaceMesh surfaceMeshOf(const SRFInfo& srf) {
    SurfaceMesh mesh;
    mesh.nrOfVertices = srf.NrOfVertices;
    mesh.vertexX = srf.VertexX;
    mesh.vertexY = srf.VertexY;
    mesh.vertexZ = srf.VertexZ;
    mesh.normalX = srf.NormalX;
    mesh.normalY = srf.NormalY;
    mesh.normalZ = srf.NormalZ;
    mesh.nrOfTriangles = srf.NrOfTriangles;
    mesh.triangles = srf.Triangles;
    mesh.nrOfNeighbours = srf.NrOfNeighbours;
    mesh.neighbours = srf.Neighbours;
    return mesh;
}

VoxelGrid voxelGridOf(const VMRHeader& header, const VOIsInfo& vois) {
    VoxelGrid grid;
    grid.dimX = header.DimX;
    grid.dimY = header.DimY;
    grid.dimZ = header.DimZ;
    grid.orientationCode = header.OrientationCode;
    grid.coordsType = vois.CoordsType;
    return grid;
}

VoxelFetcher hostVoxelFetcher(VOIInfo& info) {
    return [&info](std::int32_t voi) {
        VoxelTriples triples;
        triples.data = zkGetVOI(voi, &info);
        // Guard the geometry layer against a count that has no array behind it.
        triples.count = (triples.data != nullptr && info.NrOfVoxels > 0) ? info.NrOfVoxels : 0;
        return triples;
    };
}

}  // namespace tessarin

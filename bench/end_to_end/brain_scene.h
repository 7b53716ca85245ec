// A brain-sized scene made in code, the same on every run: a closed, folded
// surface in a 181 x 217 x 181 voxel volume and 116 VOIs around it, laid out
// like a cortical atlas (110 parcels in the band just outside the surface,
// 6 deep regions that no vertex reaches).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/mesh_data.h"

namespace tessarin::bench {

struct SceneVOI {
    std::string name;
    std::int32_t color = 0;            // red * 65536 + green * 256 + blue
    std::vector<std::int32_t> voxels;  // (x, y, z) voxel index triples
};

struct BrainScene {
    std::int32_t dims[3] = {181, 217, 181};
    MeshData mesh;  // voxel-grid coordinates, outward normals, neighbours ascending
    std::vector<SceneVOI> vois;

    std::size_t totalVoxels() const;
};

// Builds the scene. edgePoints sets the mesh resolution: the surface is a
// cube subdivided into edgePoints x edgePoints points per face and blown up
// to a folded ellipsoid, 6 e^2 - 12 e + 8 vertices (206: 252,152).
// Preconditions: edgePoints >= 3.
BrainScene makeBrainScene(int edgePoints = 206);

}  // namespace tessarin::bench

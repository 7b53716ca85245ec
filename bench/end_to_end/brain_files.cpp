#include "bench/end_to_end/brain_files.h"

#include <utility>

#include "host/documents/surface_mapping.h"
#include "host/documents/surface_space.h"
#include "host/documents/voi_set.h"
#include "host/readers/surface_file.h"
#include "host/readers/volume_file.h"

namespace tessarin::bench {

BrainScene loadBrainScene(const std::string& volumePath, const std::string& surfacePath) {
    BrainScene scene;
    zevkalon::SurfaceFile surface = zevkalon::readSurface(surfacePath);
    const zevkalon::LabelVolume labels = zevkalon::readVolume(volumePath);
    for (int a = 0; a < 3; ++a) scene.dims[a] = labels.dims[a];
    for (zevkalon::VoiData& voi : zevkalon::voisFromLabels(labels)) {
        SceneVOI& target = scene.vois.emplace_back();
        target.name = "Label " + std::to_string(voi.label);
        target.color = (voi.label * 2654435761u) & 0xFFFFFF;
        target.voxels = std::move(voi.voxels);
    }
    zevkalon::toScannerCoordinates(surface, surfacePath);
    zevkalon::HostMesh mapped = zevkalon::mapSurfaceToVoxelGrid(surface, labels.voxelToWorld.inverse());
    scene.mesh.x = std::move(mapped.x), scene.mesh.y = std::move(mapped.y), scene.mesh.z = std::move(mapped.z);
    scene.mesh.nx = std::move(mapped.nx), scene.mesh.ny = std::move(mapped.ny), scene.mesh.nz = std::move(mapped.nz);
    scene.mesh.triangles = std::move(mapped.triangles);
    scene.mesh.buildNeighbours();
    return scene;
}

}  // namespace tessarin::bench

#include "host/documents/host_mesh.h"

namespace zevkalon {

HostMesh hostMesh(tessarin::MeshData mesh) {
    HostMesh result;
    result.x = std::move(mesh.x), result.y = std::move(mesh.y), result.z = std::move(mesh.z);
    result.nx = std::move(mesh.nx), result.ny = std::move(mesh.ny), result.nz = std::move(mesh.nz);
    result.triangles = std::move(mesh.triangles);
    result.neighbours = NeighbourLists(result.nrOfVertices(), result.triangles);
    return result;
}

}  // namespace zevkalon

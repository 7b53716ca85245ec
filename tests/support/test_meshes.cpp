#include "tests/support/test_meshes.h"

namespace tessarin::testing {

MeshData meshWithNeighbours(const std::vector<std::vector<std::int32_t>>& rows) {
    MeshData mesh;
    const std::size_t n = rows.size();
    mesh.x.assign(n, 0.0f), mesh.y.assign(n, 0.0f), mesh.z.assign(n, 0.0f);
    mesh.nx.assign(n, 0.0f), mesh.ny.assign(n, 0.0f), mesh.nz.assign(n, 0.0f);
    mesh.neighbours = rows;
    return mesh;
}

}  // namespace tessarin::testing

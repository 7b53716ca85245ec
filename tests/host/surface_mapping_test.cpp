#include "host/documents/surface_mapping.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zevkalon {
namespace {

// Two triangles of a unit square in the plane z = 0 plus a vertex used by
// no triangle.
SurfaceFile square() {
    SurfaceFile surface;
    surface.positions = {0.1, 0.2, 0.3, 1.1, 0.2, 0.3, 1.1, 1.2, 0.3, 0.1, 1.2, 0.3, 7, 7, 7};
    surface.triangles = {0, 1, 2, 0, 2, 3};
    return surface;
}

TEST(Affine, InverseUndoesRotationScaleAndTranslation) {
    const Affine forward({0, -2, 0, 30, 1.5, 0, 0, -5, 0, 0, 0.5, 2});
    ASSERT_TRUE(forward.isInvertible());
    const Affine back = forward.inverse();
    const double p[3] = {3, -4, 11};
    double world[3], again[3];
    forward.mapPoint(p, world);
    back.mapPoint(world, again);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(again[k], p[k], 1e-12);
    // Directions ignore the translation.
    const double d[3] = {0, 0, 1};
    double mapped[3];
    back.mapDirection(d, mapped);
    EXPECT_NEAR(mapped[2], 2.0, 1e-12);
    EXPECT_NEAR(mapped[0], 0.0, 1e-12);
    EXPECT_FALSE(Affine({1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}).isInvertible());
    EXPECT_TRUE(Affine().inverse().isIdentity());
}

std::vector<std::int32_t> row(const HostMesh& mesh, std::int32_t v) {
    return std::vector<std::int32_t>(mesh.neighbours.begin(v), mesh.neighbours.end(v));
}

TEST(SurfaceMapping, IdentityPassesThroughAndNormalsComeFromTheTriangles) {
    SurfaceFile surface = square();
    const HostMesh mesh = mapSurfaceToVoxelGrid(surface, Affine());
    ASSERT_EQ(mesh.nrOfVertices(), 5);
    EXPECT_EQ(mesh.x[2], 1.1f);
    EXPECT_EQ(mesh.y[2], 1.2f);
    EXPECT_EQ(mesh.z[2], 0.3f);
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(mesh.nx[v], 0.0f);
        EXPECT_EQ(mesh.ny[v], 0.0f);
        EXPECT_EQ(mesh.nz[v], 1.0f);
    }
    EXPECT_EQ(mesh.nz[4], 0.0f);  // in no triangle
    EXPECT_EQ(row(mesh, 0), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(row(mesh, 1), (std::vector<std::int32_t>{0, 2}));
    EXPECT_TRUE(row(mesh, 4).empty());
    // The triangles move to the mesh; the world positions stay for the report.
    EXPECT_EQ(mesh.triangles, square().triangles);
    EXPECT_TRUE(surface.triangles.empty());
    EXPECT_EQ(surface.positions, square().positions);
}

TEST(SurfaceMapping, NormalsAreSummedOverTrianglesWeightedByArea) {
    // A vertex shared by a large triangle facing +z and a small one facing +x.
    SurfaceFile surface;
    surface.positions = {0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 1, 0};
    surface.triangles = {0, 1, 2, 0, 4, 3};
    const HostMesh mesh = mapSurfaceToVoxelGrid(surface, Affine());
    // Cross products: (0, 0, 4) and (1, 0, 0); normalised sum (1, 0, 4)/sqrt(17).
    EXPECT_FLOAT_EQ(mesh.nx[0], static_cast<float>(1 / std::sqrt(17.0)));
    EXPECT_FLOAT_EQ(mesh.nz[0], static_cast<float>(4 / std::sqrt(17.0)));
}

TEST(SurfaceMapping, WorldToVoxelScalesPositionsAndNormalsAndKeepsGivenNormals) {
    SurfaceFile surface = square();
    surface.normals = {0.6, 0, 0.8, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0};
    // 2 mm voxels, origin at (-10, -20, 4).
    const Affine voxelToWorld({2, 0, 0, -10, 0, 2, 0, -20, 0, 0, 2, 4});
    const HostMesh mesh = mapSurfaceToVoxelGrid(surface, voxelToWorld.inverse());
    EXPECT_FLOAT_EQ(mesh.x[0], static_cast<float>((0.1 + 10) / 2));
    EXPECT_FLOAT_EQ(mesh.y[0], static_cast<float>((0.2 + 20) / 2));
    EXPECT_FLOAT_EQ(mesh.z[0], static_cast<float>((0.3 - 4) / 2));
    // A unit normal in mm becomes half a voxel long: offsets stay millimetres.
    EXPECT_FLOAT_EQ(mesh.nx[0], 0.3f);
    EXPECT_FLOAT_EQ(mesh.nz[0], 0.4f);
    EXPECT_FLOAT_EQ(mesh.nx[4], 0.5f);
}

}  // namespace
}  // namespace zevkalon

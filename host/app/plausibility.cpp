#include "host/app/plausibility.h"

#include <cstdio>
#include <vector>

namespace zevkalon {

namespace {

// Distinct values from which a volume no longer looks like an atlas or a
// segmentation (the largest in common use have about a thousand labels).
constexpr std::size_t kMostLabels = 2000;

bool cellInside(float coordinate, std::int32_t size) {
    const float sample = coordinate + 0.5f;  // as the plug-in samples offset 0
    return sample > -1.0f && static_cast<double>(sample) < size;
}

}  // namespace

std::string verticesOutsideWarning(const HostMesh& mesh, const std::int32_t (&dims)[3], const std::string& surfacePath,
                                   const std::string& volumePath) {
    const std::int32_t vertices = mesh.nrOfVertices();
    std::int64_t inside = 0;
    for (std::int32_t v = 0; v < vertices; ++v) {
        inside += cellInside(mesh.x[static_cast<std::size_t>(v)], dims[0]) &&
                  cellInside(mesh.y[static_cast<std::size_t>(v)], dims[1]) &&
                  cellInside(mesh.z[static_cast<std::size_t>(v)], dims[2]);
    }
    if (vertices == 0 || 2 * inside >= vertices) return "";
    const std::string cause =
        " the two are probably not in the same space (a surface of another subject or template, or "
        "coordinates the file does not declare; see \"Which space\" in the README)";
    if (inside == 0) return "no vertex of " + surfacePath + " lies inside the volume " + volumePath + ":" + cause;
    char share[32];
    std::snprintf(share, sizeof share, "%.1f%%", 100.0 * static_cast<double>(inside) / vertices);
    return "only " + std::to_string(inside) + " of " + std::to_string(vertices) + " vertices (" + share + ") of " +
           surfacePath + " lie inside the volume " + volumePath + ":" + cause;
}

bool normalsPointInwards(const HostMesh& mesh) {
    // Closed, i.e. without a border: every edge lies in two triangles (or
    // more, where marching cubes leaves a pinched edge), so no vertex has
    // more neighbours than triangles; a vertex on a border has one more.
    const std::int32_t vertices = mesh.nrOfVertices();
    std::vector<std::int32_t> corners(static_cast<std::size_t>(vertices), 0);
    for (std::int32_t v : mesh.triangles) ++corners[static_cast<std::size_t>(v)];
    for (std::int32_t v = 0; v < vertices; ++v) {
        const std::int32_t count = corners[static_cast<std::size_t>(v)];
        if (count != 0 && mesh.neighbours.count(v) > count) return false;
    }
    if (mesh.triangles.empty()) return false;
    // Six times the enclosed volume, signed by the winding, and how the
    // normals agree with the winding's face normals.
    double volume = 0.0, agreement = 0.0;
    for (std::size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
        const auto a = static_cast<std::size_t>(mesh.triangles[t]), b = static_cast<std::size_t>(mesh.triangles[t + 1]),
                   c = static_cast<std::size_t>(mesh.triangles[t + 2]);
        const double ux = double{mesh.x[b]} - mesh.x[a], uy = double{mesh.y[b]} - mesh.y[a], uz = double{mesh.z[b]} - mesh.z[a];
        const double wx = double{mesh.x[c]} - mesh.x[a], wy = double{mesh.y[c]} - mesh.y[a], wz = double{mesh.z[c]} - mesh.z[a];
        const double fx = uy * wz - uz * wy, fy = uz * wx - ux * wz, fz = ux * wy - uy * wx;
        volume += mesh.x[a] * fx + mesh.y[a] * fy + mesh.z[a] * fz;
        agreement += fx * (double{mesh.nx[a]} + mesh.nx[b] + mesh.nx[c]) + fy * (double{mesh.ny[a]} + mesh.ny[b] + mesh.ny[c]) +
                     fz * (double{mesh.nz[a]} + mesh.nz[b] + mesh.nz[c]);
    }
    // Outward winding encloses a positive volume; normals that agree with it
    // point out. (A mirrored grid turns both signs, so their product holds.)
    return volume * agreement < 0.0;
}

std::string inwardNormalsWarning(const std::string& surfacePath, bool flipped) {
    return "the normals of the closed surface " + surfacePath + (flipped ? " point inwards after --flip-normals" : " point inwards") +
           ", so From and To look the wrong way (From -1 To 3 then reaches 3 mm inside and 1 mm outside); if that "
           "is not meant, run again " + (flipped ? "without --flip-normals" : "with --flip-normals");
}

std::string manyLabelsWarning(std::size_t labels, const std::string& volumePath) {
    if (labels < kMostLabels) return "";
    return volumePath + " has " + std::to_string(labels) +
           " distinct non-zero values, each made a VOI: it looks like an intensity image (a T1, a probability "
           "map) rather than a label volume; give a segmentation or an atlas";
}

std::string emptyPoisWarning(const tessarin::POIFile& pois) {
    if (pois.POIs.empty()) return "";
    for (const tessarin::POIRecord& poi : pois.POIs) {
        if (poi.NrOfVertices > 0) return "";
    }
    return "every POI is empty: no vertex's samples reached a VOI; the surface and the volume may not overlap, or "
           "From and To may not reach the labelled voxels";
}

}  // namespace zevkalon

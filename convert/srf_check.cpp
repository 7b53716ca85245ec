#include "convert/srf_check.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace tessarin {
namespace {

[[noreturn]] void malformed(const std::string& what) {
    throw std::runtime_error("The surface mesh is malformed: " + what + ".");
}

// An array of count entries can be read at p: present, aligned for its
// type, and not running past the end of the address space.
template <typename T>
bool readable(const T* p, std::int64_t count) {
    if (count == 0) return true;
    const auto address = reinterpret_cast<std::uintptr_t>(p);
    const auto bytes = static_cast<std::uint64_t>(count) * sizeof(T);
    return p != nullptr && address % alignof(T) == 0 && bytes <= std::numeric_limits<std::uintptr_t>::max() - address;
}

template <typename T>
void checkArray(const T* p, std::int64_t count, const std::string& name, const std::string& declared) {
    if (!readable(p, count)) malformed(name + (p == nullptr ? " is missing (" : " cannot be addressed (") + declared + ")");
}

std::string range(std::int32_t nrOfVertices) {
    return nrOfVertices > 0 ? "outside 0.." + std::to_string(nrOfVertices - 1) : "but the mesh has no vertices";
}

}  // namespace

void checkSurfaceRecord(const SRFInfo& srf) {
    const std::int32_t vertices = srf.NrOfVertices, triangles = srf.NrOfTriangles;
    if (vertices < 0) malformed("its vertex count is negative (" + std::to_string(vertices) + ")");
    if (triangles < 0) malformed("its triangle count is negative (" + std::to_string(triangles) + ")");
    constexpr std::int32_t kMostTriangles = std::numeric_limits<std::int32_t>::max() / 3;
    if (triangles > kMostTriangles) {
        malformed("its triangle count " + std::to_string(triangles) + " is too large to address (at most " +
                  std::to_string(kMostTriangles) + ")");
    }
    const std::string kVertices = "NrOfVertices " + std::to_string(vertices);
    checkArray(srf.VertexX, vertices, "the VertexX array", kVertices);
    checkArray(srf.VertexY, vertices, "the VertexY array", kVertices);
    checkArray(srf.VertexZ, vertices, "the VertexZ array", kVertices);
    checkArray(srf.NormalX, vertices, "the NormalX array", kVertices);
    checkArray(srf.NormalY, vertices, "the NormalY array", kVertices);
    checkArray(srf.NormalZ, vertices, "the NormalZ array", kVertices);
    checkArray(srf.Triangles, std::int64_t{3} * triangles, "the Triangles array",
               "NrOfTriangles " + std::to_string(triangles));
    checkArray(srf.NrOfNeighbours, vertices, "the NrOfNeighbours array", kVertices);
    checkArray(srf.Neighbours, vertices, "the Neighbours array", kVertices);

    const auto inMesh = [vertices](std::int32_t v) { return v >= 0 && v < vertices; };
    for (std::int64_t i = 0; i < std::int64_t{3} * triangles; ++i) {
        if (!inMesh(srf.Triangles[i])) {
            malformed("triangle " + std::to_string(i / 3) + " has corner " + std::to_string(srf.Triangles[i]) + ", " +
                      range(vertices));
        }
    }
    for (std::int32_t v = 0; v < vertices; ++v) {
        const std::int32_t count = srf.NrOfNeighbours[v];
        if (count < 0) {
            malformed("vertex " + std::to_string(v) + " has a negative neighbour count (" + std::to_string(count) + ")");
        }
        const std::int32_t* row = srf.Neighbours[v];
        if (!readable(row, count)) {
            checkArray(row, count, "the neighbour row of vertex " + std::to_string(v),
                       "NrOfNeighbours " + std::to_string(count));
        }
        for (std::int32_t k = 0; k < count; ++k) {
            if (!inMesh(row[k])) {
                malformed("neighbour " + std::to_string(k) + " of vertex " + std::to_string(v) + " is " +
                          std::to_string(row[k]) + ", " + range(vertices));
            }
        }
    }
}

}  // namespace tessarin

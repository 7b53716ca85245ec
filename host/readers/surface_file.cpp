#include "host/readers/surface_file.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "host/readers/file_names.h"
#include "host/readers/freesurfer_surface_reader.h"
#include "host/readers/gifti_surface_reader.h"
#include "host/host_error.h"
#include "host/readers/obj_reader.h"

namespace zevkalon {

void validateSurface(const SurfaceFile& surface, const std::string& path) {
    const std::int64_t vertices = surface.nrOfVertices();
    if (surface.positions.size() % 3 != 0) throw badInput(path + ": the vertex coordinates do not come in threes");
    if (vertices == 0) throw badInput(path + ": the surface has no vertices");
    if (vertices > std::numeric_limits<std::int32_t>::max()) throw badInput(path + ": too many vertices");
    if (surface.triangles.empty()) throw badInput(path + ": the surface has no triangles");
    if (surface.triangles.size() % 3 != 0) throw badInput(path + ": the triangle indices do not come in threes");
    for (std::size_t i = 0; i < surface.positions.size(); ++i) {
        if (!std::isfinite(surface.positions[i])) {
            std::ostringstream message;
            message << path << ": vertex " << i / 3 << " has a coordinate that is not a finite number ("
                    << surface.positions[i] << ")";
            throw badInput(message.str());
        }
    }
    if (!surface.normals.empty()) {
        if (surface.normals.size() != surface.positions.size()) {
            std::ostringstream message;
            message << path << ": " << surface.normals.size() / 3 << " normals for " << vertices
                    << " vertices; give one normal per vertex or none";
            throw badInput(message.str());
        }
        for (std::size_t i = 0; i < surface.normals.size(); ++i) {
            if (!std::isfinite(surface.normals[i])) {
                throw badInput(path + ": normal " + std::to_string(i / 3) + " is not a finite vector");
            }
        }
    }
    for (std::size_t i = 0; i < surface.triangles.size(); ++i) {
        const std::int32_t index = surface.triangles[i];
        if (index < 0 || index >= vertices) {
            std::ostringstream message;
            message << path << ": triangle " << i / 3 << " refers to vertex " << index << ", but the surface has "
                    << vertices << " vertices (0 to " << vertices - 1 << ")";
            throw badInput(message.str());
        }
    }
}

SurfaceFile readSurface(const std::string& path) {
    SurfaceFile surface;
    if (isFreeSurferSurface(path)) {
        surface = readFreeSurferSurface(path);
    } else if (endsWithNoCase(path, ".gii")) {
        surface = readGiftiSurface(path);
    } else if (endsWithNoCase(path, ".obj")) {
        surface = readObj(path);
    } else {
        throw badInput(path + ": unknown surface format; give a GIFTI (.surf.gii) or OBJ (.obj) file");
    }
    validateSurface(surface, path);
    return surface;
}

}  // namespace zevkalon

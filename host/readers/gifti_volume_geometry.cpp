#include "host/readers/gifti_volume_geometry.h"

#include <cmath>

#include "host/host_error.h"
#include "host/readers/text_words.h"

namespace zevkalon {

namespace {

const std::string* find(const MetaPairs& meta, const std::string& name) {
    for (const auto& [key, value] : meta) {
        if (key == name) return &value;
    }
    return nullptr;
}

// The value of a VolGeom key, trimmed and parsed.
double number(const MetaPairs& meta, const std::string& name, const std::string& path) {
    const std::string* text = find(meta, name);
    if (text == nullptr) {
        throw badInput(path + ": incomplete FreeSurfer volume geometry in the GIFTI metadata: " + name + " is missing");
    }
    const std::vector<std::string> words = contentWords(*text);
    double value = 0.0;
    if (words.size() != 1 || !parseRealNumber(words[0], value) || !std::isfinite(value)) {
        throw badInput(path + ": the GIFTI metadata " + name + " is \"" + *text + "\", not a number");
    }
    return value;
}

const char* const kAxes[4] = {"X", "Y", "Z", "C"};
const char* const kComponents[3] = {"R", "A", "S"};

bool hasOrientation(const MetaPairs& meta) {
    for (const char* axis : kAxes) {
        for (const char* component : kComponents) {
            if (find(meta, std::string("VolGeom") + axis + "_" + component) != nullptr) return true;
        }
    }
    return false;
}

VolumeGeometry geometryFrom(const MetaPairs& meta, const std::string& path) {
    VolumeGeometry geometry;
    const char* const sizes[3] = {"Width", "Height", "Depth"};
    const char* const voxelSizes[3] = {"Xsize", "Ysize", "Zsize"};
    std::array<double, 3>* directions[4] = {&geometry.xras, &geometry.yras, &geometry.zras, &geometry.cras};
    for (std::size_t a = 0; a < 3; ++a) {
        const std::string name = std::string("VolGeom") + sizes[a];
        const double size = number(meta, name, path);
        if (size != std::floor(size) || size < 1 || size > 0x7fffffff) {
            throw badInput(path + ": the GIFTI metadata " + name + " is not a whole number of voxels");
        }
        geometry.dims[a] = static_cast<std::int32_t>(size);
        geometry.voxelSize[a] = number(meta, std::string("VolGeom") + voxelSizes[a], path);
    }
    for (std::size_t axis = 0; axis < 4; ++axis) {
        for (std::size_t c = 0; c < 3; ++c) {
            (*directions[axis])[c] = number(meta, std::string("VolGeom") + kAxes[axis] + "_" + kComponents[c], path);
        }
    }
    const std::string problem = geometryProblem(geometry);
    if (!problem.empty()) throw badInput(path + ": unusable FreeSurfer volume geometry in the GIFTI metadata: " + problem);
    return geometry;
}

}  // namespace

void applyGiftiMetadata(const MetaPairs& arrayMeta, const MetaPairs& fileMeta, SurfaceFile& surface,
                        const std::string& path) {
    for (const MetaPairs* meta : {&arrayMeta, &fileMeta}) {
        const std::string* structure = find(*meta, "AnatomicalStructurePrimary");
        if (structure != nullptr && !structure->empty() && surface.structure.empty()) surface.structure = *structure;
    }
    const MetaPairs* source = hasOrientation(arrayMeta) ? &arrayMeta : hasOrientation(fileMeta) ? &fileMeta : nullptr;
    if (source == nullptr) return;
    surface.geometry = geometryFrom(*source, path);
    surface.space = CoordinateSpace::Tkregister;
}

}  // namespace zevkalon

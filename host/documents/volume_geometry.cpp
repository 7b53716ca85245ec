#include "host/documents/volume_geometry.h"

#include <cmath>
#include <sstream>

namespace zevkalon {

namespace {

bool allFinite(const std::array<double, 3>& values) {
    return std::isfinite(values[0]) && std::isfinite(values[1]) && std::isfinite(values[2]);
}

}  // namespace

std::string geometryProblem(const VolumeGeometry& g) {
    for (int a = 0; a < 3; ++a) {
        if (g.dims[a] < 1) return "the volume size " + std::to_string(g.dims[a]) + " is below 1";
        if (!(std::isfinite(g.voxelSize[a]) && g.voxelSize[a] > 0.0)) return "a voxel size is not a positive number";
    }
    if (!allFinite(g.xras) || !allFinite(g.yras) || !allFinite(g.zras) || !allFinite(g.cras)) {
        return "a direction or the centre is not a finite number";
    }
    if (!voxelToScanner(g).isInvertible()) return "the axis directions do not span space";
    return "";
}

Affine voxelToScanner(const VolumeGeometry& g) {
    const std::array<double, 3>* columns[3] = {&g.xras, &g.yras, &g.zras};
    std::array<double, 12> rows{};
    for (int r = 0; r < 3; ++r) {
        double centreOffset = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double entry = (*columns[c])[static_cast<std::size_t>(r)] * g.voxelSize[static_cast<std::size_t>(c)];
            rows[static_cast<std::size_t>(r * 4 + c)] = entry;
            centreOffset += entry * g.dims[static_cast<std::size_t>(c)] / 2.0;
        }
        rows[static_cast<std::size_t>(r * 4 + 3)] = g.cras[static_cast<std::size_t>(r)] - centreOffset;
    }
    return Affine(rows);
}

Affine voxelToTkregister(const VolumeGeometry& g) {
    const double half[3] = {g.dims[0] * g.voxelSize[0] / 2.0, g.dims[1] * g.voxelSize[1] / 2.0,
                            g.dims[2] * g.voxelSize[2] / 2.0};
    return Affine({-g.voxelSize[0], 0, 0, half[0],  //
                   0, 0, g.voxelSize[2], -half[2],  //
                   0, -g.voxelSize[1], 0, half[1]});
}

Affine tkregisterToScanner(const VolumeGeometry& g) {
    return voxelToScanner(g).compose(voxelToTkregister(g).inverse());
}

std::string describeGeometry(const VolumeGeometry& g) {
    std::ostringstream text;
    text << g.dims[0] << " x " << g.dims[1] << " x " << g.dims[2] << " voxels of " << g.voxelSize[0] << " x "
         << g.voxelSize[1] << " x " << g.voxelSize[2] << " mm, centre " << g.cras[0] << ' ' << g.cras[1] << ' '
         << g.cras[2];
    return text.str();
}

}  // namespace zevkalon

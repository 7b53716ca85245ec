#include "host/documents/surface_space.h"

namespace zevkalon {

SpaceMapping toScannerCoordinates(SurfaceFile& surface, const std::string& path) {
    switch (surface.space) {
        case CoordinateSpace::Tkregister: {
            const Affine toScanner = tkregisterToScanner(surface.geometry);
            for (std::size_t i = 0; i + 2 < surface.positions.size(); i += 3) {
                const double point[3] = {surface.positions[i], surface.positions[i + 1], surface.positions[i + 2]};
                toScanner.mapPoint(point, &surface.positions[i]);
            }
            for (std::size_t i = 0; i + 2 < surface.normals.size(); i += 3) {
                const double direction[3] = {surface.normals[i], surface.normals[i + 1], surface.normals[i + 2]};
                toScanner.mapDirection(direction, &surface.normals[i]);
            }
            return {path + ": FreeSurfer tkregister coordinates, mapped to scanner coordinates with the surface's "
                           "volume geometry (" + describeGeometry(surface.geometry) + ")",
                    false};
        }
        case CoordinateSpace::Scanner:
            return {path + ": scanner coordinates, as the FreeSurfer file declares", false};
        case CoordinateSpace::TkregisterUnknown:
            return {path + ": a FreeSurfer surface, but " + surface.spaceDetail +
                        ": its coordinates are taken as scanner (world) coordinates, which holds only for a surface "
                        "saved in scanner space (FreeSurfer's surfaces are in tkregister space of their volume)",
                    true};
        case CoordinateSpace::Unstated:
            break;
    }
    return {path + ": coordinates taken as scanner (world) coordinates (the file carries no FreeSurfer volume geometry)",
            false};
}

}  // namespace zevkalon

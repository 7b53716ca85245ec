// Bringing a surface from the space its file declares to scanner (world) RAS.
#pragma once

#include <string>

#include "host/readers/surface_file.h"

namespace zevkalon {

struct SpaceMapping {
    std::string description;  // "PATH: ...": which mapping was used, for the log
    bool warning = false;     // true when the coordinates may well be in another space
};

// Maps tkregister coordinates (space Tkregister) to scanner RAS with the
// surface's volume geometry: positions as points, the file's normals as
// directions through the linear part (a rotation, so unit normals stay unit
// and offsets along them millimetres). Every other space is taken as scanner
// RAS already and left as it is. Afterwards the surface is in scanner RAS.
// Precondition: a Tkregister surface's geometry passed geometryProblem.
SpaceMapping toScannerCoordinates(SurfaceFile& surface, const std::string& path);

}  // namespace zevkalon

// From a surface in world coordinates to the host's surface document.
#pragma once

#include "host/documents/affine.h"
#include "host/documents/host_mesh.h"
#include "host/readers/surface_file.h"

namespace zevkalon {

// Builds the mesh that the host hands to the plug-in, in the volume's
// voxel-grid coordinates (voxel centres at whole numbers):
//  - positions: worldToVoxel applied to each point in double, stored as float;
//  - normals: the file's own when it has them, else the normalised sum of the
//    unnormalised cross-product normals of the vertex's triangles, computed
//    in world space (a vertex in no triangle, or whose normals cancel, gets
//    0 0 0); either way mapped as directions by worldToVoxel's linear part
//    and not normalised again, so a unit world normal keeps its length in mm:
//    the plug-in's offsets along it are millimetres;
//  - triangles: taken over from surface, whose triangles and normals are
//    left empty (a surface of a million triangles is not held twice); its
//    positions stay, in world coordinates, for whoever measures in mm;
//  - neighbours: every distinct vertex sharing a triangle, ascending.
// With the identity, positions and given normals pass through exactly.
// Precondition: validateSurface accepted the surface.
HostMesh mapSurfaceToVoxelGrid(SurfaceFile& surface, const Affine& worldToVoxel);

}  // namespace zevkalon

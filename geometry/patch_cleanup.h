// Hole filling and edge smoothing of one POI's vertex list.
#pragma once

#include <cstdint>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"

namespace tessarin {

// Rebuilds vertices patch by patch (in splitIntoPatches order), each patch
// followed by the vertices that close its holes, smallest ring region first.
void fillPatchHoles(VertexList& vertices, const SurfaceMesh& mesh);

// Grows vertices by steps rings, then shrinks it steps times. Only adds
// vertices: the old entries keep their order at the front.
void smoothPatchEdges(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh);

}  // namespace tessarin

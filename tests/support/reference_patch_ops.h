// Literal versions of the vertex-set operations, for differential tests and
// speed ratios. Each one does exactly what the operation's description says,
// step by step: every membership test is a linear scan of the list and every
// removal closes the gap. Slow by design; never use them in the library.
#pragma once

#include <cstdint>

#include "geometry/patch_connectivity.h"
#include "geometry/surface_mesh.h"
#include "geometry/vertex_list.h"
#include "poi/poi_file.h"

namespace tessarin::reference {

PatchList splitIntoPatches(VertexList vertices, const SurfaceMesh& mesh);
float patchArea(const VertexList& vertices, const SurfaceMesh& mesh);
// Like the library, an empty list gives 0 patches and areas 0.
LargestPatchResult keepLargestPatch(VertexList& vertices, const SurfaceMesh& mesh);

VertexList getOuterRing(const VertexList& set, const SurfaceMesh& mesh);
VertexList getBoundaryVertices(const VertexList& set, const SurfaceMesh& mesh);

void fillPatchHoles(VertexList& vertices, const SurfaceMesh& mesh);
// Runs all steps, with no early stop: keep steps small.
void smoothPatchEdges(VertexList& vertices, std::int32_t steps, const SurfaceMesh& mesh);

VertexList findOverlapVertices(const POIFile& file);
void removeOverlapVertices(POIFile& file, const VertexList& overlap);
void redistributeVertices(POIFile& file, VertexList remaining, const SurfaceMesh& mesh);

}  // namespace tessarin::reference

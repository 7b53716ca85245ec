// Checking the host's surface record before any stage reads its arrays.
#pragma once

#include "shell/host_api.h"

namespace tessarin {

// Refuses a surface record whose arrays cannot be read safely, so that a
// host's bad record ends the run with a message instead of crashing the
// host: a negative vertex or triangle count; more triangles than 32-bit
// indices can address; a vertex, normal, triangle, neighbour-count or
// neighbour-row array that is null (or misaligned, or runs past the end of
// memory) although its count is not zero; a negative neighbour count; a
// triangle corner or a neighbour outside 0 .. NrOfVertices - 1. Reads each
// array once (time linear in the record's size) and calls no host function.
// Throws std::runtime_error whose text says what is wrong and where
// ("The surface mesh is malformed: neighbour 2 of vertex 12 is 900, outside
// 0..641."). Precondition: every non-null array holds at least as many
// entries as its count says (the record carries no other sizes).
void checkSurfaceRecord(const SRFInfo& srf);

}  // namespace tessarin

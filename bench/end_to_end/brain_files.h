// A real brain read from files as zevkalon reads it, for the benchmark.
#pragma once

#include <string>

#include "bench/end_to_end/brain_scene.h"

namespace tessarin::bench {

// The label volume (NIfTI or MGH) and the surface (GIFTI, OBJ or FreeSurfer)
// through zevkalon's own readers and mapping: one VOI per label, named
// "Label N", the mesh in the volume's voxel grid. Throws what the readers
// throw (zevkalon::HostError) for a file they refuse.
BrainScene loadBrainScene(const std::string& volumePath, const std::string& surfacePath);

}  // namespace tessarin::bench

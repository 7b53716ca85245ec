// A benchmark scene saved as it stands, so that another build of the host
// (the Windows one, under Wine) can run the plug-in on exactly the same input.
#pragma once

#include <string>

#include "bench/end_to_end/brain_scene.h"

namespace tessarin::bench {

// Little-endian binary: the volume's size, the mesh's arrays (positions,
// normals, triangles, neighbour rows as they are) and every VOI with its
// name, colour and voxels. Throws std::runtime_error when the file cannot
// be written or read, or is not such a file.
void saveScene(const BrainScene& scene, const std::string& path);
BrainScene loadScene(const std::string& path);

}  // namespace tessarin::bench

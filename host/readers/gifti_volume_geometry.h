// What FreeSurfer writes into the metadata of a GIFTI surface.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/readers/surface_file.h"

namespace zevkalon {

using MetaPairs = std::vector<std::pair<std::string, std::string>>;

// Sets the surface's space, geometry and structure from GIFTI metadata
// (the POINTSET array's first, then the file's):
//  - AnatomicalStructurePrimary, when given, becomes the structure;
//  - the orientation and centre keys VolGeomX_R .. VolGeomC_S mark
//    tkregister coordinates; with them VolGeomWidth/Height/Depth and
//    VolGeomXsize/Ysize/Zsize give the geometry, and the space becomes
//    Tkregister. Without them the space stays as it is (sizes alone, which
//    tools leave behind when they move a surface to scanner coordinates,
//    mean nothing).
// Throws HostError(kExitBadInput) naming the file when some VolGeom keys are
// there but not all, a value is not a number, or the geometry is unusable.
void applyGiftiMetadata(const MetaPairs& arrayMeta, const MetaPairs& fileMeta, SurfaceFile& surface,
                        const std::string& path);

}  // namespace zevkalon

// What the viewer page of a run shows, from the run's options and documents.
#pragma once

#include "host/app/cli_options.h"
#include "host/documents/host_mesh.h"
#include "host/exports/viewer_page.h"
#include "host/readers/surface_file.h"

namespace zevkalon {

// The surface as the file gives it (world coordinates, as read), for the
// page; the demo's surface, which has no file, in its voxel grid.
ViewerSurface viewerSurface(const SurfaceFile& surface);
ViewerSurface viewerSurface(const HostMesh& mesh);

// The page of a run: titled after the POI file, with From, To, the options
// and the files of the run in its table.
ViewerContent viewerContent(const HostOptions& options, const ParameterStore& parameters, ViewerSurface surface,
                            const tessarin::POIFile& pois);

}  // namespace zevkalon

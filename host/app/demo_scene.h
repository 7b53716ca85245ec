// The demo's embedded scene: a folded brain-sized surface and six VOIs.
#pragma once

#include "host/runtime/workspace.h"

namespace zevkalon {

// The demo needs no files. Its surface is a closed, folded ellipsoid of
// 40,962 vertices (a subdivided icosahedron, radius modulated by a smooth
// periodic fold pattern) about 136 x 170 x 120 voxels across, centred in a
// 256 x 256 x 256 volume. Its six VOIs, in this order:
//   "Occipital pole"     a ball across the surface
//   "Overlap A", "Overlap B"  two balls that share part of the surface
//   "Ring with holes"    a ball with three narrow shafts cut out along the
//                        surface normal, so its patch has three holes
//   "Two pieces"         two separate balls under one name
//   "Deep nucleus"       a ball deep inside that reaches no vertex
// Everything is computed with + - * / and sqrt only, so the scene is bit for
// bit the same on every platform (the Windows build must write the same POI file).
struct DemoScene {
    VolumeDocument volume;    // voiFileName left empty
    SurfaceDocument surface;  // fileName "tessarin_demo.srf"
};

DemoScene makeDemoScene();

// The dialog parameters of the demo: From -1, To 3, all four options on,
// two smoothing steps.
ParameterStore demoParameters();

}  // namespace zevkalon

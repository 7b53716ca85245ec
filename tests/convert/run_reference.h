// What a conversion run must log and write for a fake-host scene, worked out
// on the test side: its own settings rules, stage loops, log texts and POI
// text, with only the geometry operations shared with the plug-in.
#pragma once

#include <string>
#include <vector>

#include "tests/fake_host/fake_host.h"

namespace tessarin::testing {

struct ExpectedRun {
    std::vector<std::string> log;  // every zkLogText text of execute, in order
    std::string poiPath;           // where the file goes
    std::string poiText;           // its content with '\n' line ends
};

ExpectedRun expectedRun(const fakehost::Scene& scene);

// The option parameters of one of the 16 combinations (bit 0 no overlap,
// bit 1 largest patch, bit 2 fill holes, bit 3 smoothing); "off" values vary
// between 0 and other non-1 values, "on" smoothing uses smoothSteps.
void setOptions(fakehost::Scene& scene, unsigned combination, int smoothSteps = 2);

// A flat grid scene: columns x rows vertices at (i, j, 0), normals +z, one
// voxel layer of plain (not centred) coordinates, so that with "From" and
// "To" in (-0.5, 0.5) vertex (i, j) meets exactly voxel (i, j, 0).
fakehost::Scene gridScene(int columns, int rows);

// Adds a VOI of the voxels (i, j, 0) of the given grid cells.
void addVOI(fakehost::Scene& scene, const std::string& name, int colour,
            const std::vector<std::pair<int, int>>& cells);

}  // namespace tessarin::testing

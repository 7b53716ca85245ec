// The user's choices for one conversion run, read from the host's dialog parameters.
#pragma once

#include <cstdint>

namespace tessarin {

struct RunSettings {
    float from = 0.0f;  // "From": lowest offset along the vertex normals
    float to = 0.0f;    // "To": highest offset along the vertex normals
    bool noOverlap = false;     // "NoOverlap" is 1
    bool largestPatch = false;  // "LargestPatch" is 1
    bool fillHoles = false;     // "FillHoles" is 1
    std::int32_t smoothSteps = 0;  // "NrSmooth", a signed count

    bool smoothing() const { return smoothSteps >= 1; }
};

// Reads the six parameters from the host in this order: "From", "To" (float),
// "NoOverlap", "LargestPatch", "FillHoles", "NrSmooth" (int). A flag is on
// only when its value is exactly 1. Precondition: the host is bound.
RunSettings readRunSettings();

}  // namespace tessarin

// A label volume read by its file name.
#pragma once

#include <string>

#include "host/readers/label_volume.h"

namespace zevkalon {

// Reads an MGH volume (".mgh", ".mgz", any case) or else a NIfTI volume;
// throws what readMghVolume or readLabelVolume throws.
LabelVolume readVolume(const std::string& path);

}  // namespace zevkalon

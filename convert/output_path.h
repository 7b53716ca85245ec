// Naming the POI file after the VOI file.
#pragma once

#include <string>

namespace tessarin {

// name up to (not including) its last '.', followed by extension; name
// followed by extension when it holds no '.'. The dot is searched anywhere
// in name, folders included, as the host's tools do.
// Examples: ("d/rois.voi", ".poi") -> "d/rois.poi"; ("rois", ".poi") -> "rois.poi";
// ("d.1/rois", ".poi") -> "d.poi".
std::string replaceExtension(const std::string& name, const std::string& extension);

}  // namespace tessarin

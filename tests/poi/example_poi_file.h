// The two-VOI example file of the POI format, in memory and as text.
#pragma once

#include <string>

#include "poi/poi_file.h"

namespace tessarin::testing {

// The second VOI reached no vertex.
POIFile exampleFile();

extern const char* const kExampleText;

// Saves file at path and returns the error text, or "no error".
std::string saveAsError(POIFile& file, const std::string& path);

// text as a text-mode stream puts it on disk: CR LF line ends on Windows.
std::string onDisk(const std::string& text);

}  // namespace tessarin::testing

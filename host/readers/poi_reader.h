// The host's reader of POI files.
#pragma once

#include <iosfwd>
#include <string>

#include "poi/poi_file.h"

namespace zevkalon {

// Parses the text of a POI file (version 2) as the plug-in writes it: the
// header keys FileVersion, FromMeshFile, NrOfMeshVertices, NrOfPOIs; per POI
// NameOfPOI, InfoTextFile, ColorOfPOI, LabelVertex, NrOfVertices and that
// many vertex lines; then NrOfPOIMTCs. Keys must come in this order; blank
// lines between keys are allowed, but vertex lines follow their count
// directly. Line ends may be LF or CR LF. A quoted value runs to the last
// double quote of its line, so names may contain quotes.
//
// Every value is checked: whole numbers only, counts not negative, colour
// components 0 .. 255, every vertex index and every non-empty POI's label
// vertex in 0 .. NrOfMeshVertices - 1, nothing but blank lines after the
// last key. Throws HostError(kExitRunFailed) with "sourceName:line: problem"
// for the first violation. The result's FileName is sourceName.
tessarin::POIFile parsePOIFile(std::istream& in, const std::string& sourceName);

// Opens and parses a file; one that cannot be opened is refused the same way.
tessarin::POIFile readPOIFile(const std::string& path);

}  // namespace zevkalon

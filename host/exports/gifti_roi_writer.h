// Export of the loaded POIs as GIFTI ROI columns (a .func.gii metric file).
#pragma once

#include <cstdint>
#include <string>

#include "host/exports/gifti_writer.h"
#include "poi/poi_file.h"

namespace zevkalon {

// One float32 column of nrOfVertices values per POI, in file order: 1 at the
// POI's vertices, 0 elsewhere, named after the POI (distinctPoiNames). Unlike
// a label file it keeps vertices that several POIs share. A non-empty
// structure is written as the file's AnatomicalStructurePrimary.
gifti::Document giftiRoiDocument(const tessarin::POIFile& pois, std::int32_t nrOfVertices,
                                 const std::string& structure = "");

// Writes giftiRoiDocument atomically to path (see writeOutputFile), one
// column at a time.
// Throws HostError(kExitExportFailed) naming the path when it cannot.
void writeGiftiRois(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path,
                    const std::string& structure = "");

}  // namespace zevkalon

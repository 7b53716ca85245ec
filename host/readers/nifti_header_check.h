// Checks of a NIfTI file's raw header and data size, before the NIfTI
// library's reading is trusted.
#pragma once

#include <cstdint>
#include <string>

namespace zevkalon {

// Checks the header exactly as stored (the library quietly repairs or
// reinterprets several broken fields, which would read a damaged file as a
// different, plausible volume). Throws HostError (kExitBadInput) naming the
// file and saying what to do, for:
//  - gzip-compressed bytes in a file whose name does not end in ".gz";
//  - the image half of a pair (".img"): its header (".hdr") is the file to give;
//  - a header too short, of unknown size, or with a magic string other than
//    "n+1"/"n+2" (single file) or "ni1"/"ni2" (a ".hdr" of a pair); an
//    Analyze 7.5 header is named as such;
//  - dimensions the header declares that no volume has (dim[0] outside
//    1 .. 7, a size below 1);
//  - a single file whose vox_offset lies inside its header (below byte 352,
//    or 544 for NIfTI-2): the library would read the data from elsewhere;
//  - no voxel-to-world transform (sform_code and qform_code both 0).
void checkNiftiHeader(const std::string& path);

// Checks that the file dataPath can hold bytes bytes of voxel data from
// byte offset on, before they are read: exactly for an uncompressed file,
// and for gzip-compressed data by the most that zlib can make of the file's
// compressed bytes (1032 per byte). path names the volume in the message.
// Throws HostError (kExitBadInput) when it cannot.
void checkDataFits(const std::string& path, const std::string& dataPath, std::int64_t offset, std::int64_t bytes);

}  // namespace zevkalon

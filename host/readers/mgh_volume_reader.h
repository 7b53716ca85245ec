// FreeSurfer's MGH volumes (.mgh, and .mgz: the same compressed with gzip).
#pragma once

#include <string>

#include "host/readers/label_volume.h"

namespace zevkalon {

// True when the name ends in ".mgh" or ".mgz" (any case).
bool isMghFileName(const std::string& path);

// Reads an MGH or MGZ label volume, e.g. aparc+aseg.mgz: big-endian data of
// type uchar, short or int, or float whose values are all whole numbers, one
// frame; voxel to world is the header's vox2ras (voxel sizes, direction
// cosines and centre; FreeSurfer's default orientation when the header marks
// them as unset). Throws HostError(kExitBadInput) naming the file for: a file
// that cannot be opened or decompressed, another format version, sizes below
// 1 or more voxels than 32-bit indices reach, more than one frame, an unknown
// data type, data shorter than the header declares, a value that is not a
// whole number or beyond 32 bits, or a transform that cannot be inverted.
LabelVolume readMghVolume(const std::string& path);

}  // namespace zevkalon

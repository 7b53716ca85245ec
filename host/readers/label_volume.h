// A label volume read from a NIfTI-1 or NIfTI-2 file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/documents/affine.h"

namespace zevkalon {

// Integer labels on a voxel grid, first axis fastest.
struct LabelVolume {
    std::int32_t dims[3] = {0, 0, 0};
    // dims[0] * dims[1] * dims[2] labels; voxel (i, j, k) at i + (j + k * dims[1]) * dims[0].
    std::vector<std::int32_t> labels;
    // Voxel index (i, j, k) to world (mm): the sform when the file sets one,
    // else the qform.
    Affine voxelToWorld;
};

// True when this build can read NIfTI files (the Windows build cannot).
bool canReadNifti();

// Reads a label volume: a single NIfTI file (.nii, .nii.gz) or the .hdr of a
// NIfTI pair. Accepts any integer data type, and float data whose values
// (after the file's scaling, when it sets one) are all whole numbers; every
// label must fit a 32-bit signed integer. Throws HostError (kExitBadInput)
// naming the file for: a file that cannot be opened or is not NIfTI (see
// checkNiftiHeader for what the raw header must satisfy), more than three
// dimensions in use, a non-numeric data type (complex, RGB), a value that is
// not a whole number or is out of range, a voxel-to-world transform that
// cannot be inverted, less data than the header declares, or too little
// memory for the labels.
LabelVolume readLabelVolume(const std::string& path);

}  // namespace zevkalon

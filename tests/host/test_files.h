// Writing the input files of the host tests: NIfTI label volumes, GIFTI and
// OBJ surfaces, and reading back GIFTI label files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zevkalon::testing {

// A label volume to write. Labels are stored as datatype (a NIfTI DT_ code:
// 4 int16, 8 int32, 16 float32, 2 uint8).
struct NiftiContent {
    std::int32_t dims[3] = {20, 20, 20};
    std::int32_t extraDims = 1;             // size of the fourth dimension (1: none)
    std::vector<double> labels;             // dims product values, i fastest
    int datatype = 4;
    bool nifti2 = false;                    // write NIfTI-2 instead of NIfTI-1
    // Voxel-to-world rows (12 values); written as the sform (code 1) unless
    // useQform, then as a qform (code 1, sform code 0) made of voxelSize and
    // qformOffset with no rotation.
    std::array<double, 12> sform = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    bool useQform = false;
    double voxelSize = 1.0;
    std::array<double, 3> qformOffset = {0, 0, 0};
    double slope = 0.0, intercept = 0.0;    // scl_slope, scl_inter
};

// Writes content to path (.nii or .nii.gz).
void writeNifti(const NiftiContent& content, const std::string& path);

// Writes a GIFTI surface with a float POINTSET (N x 3) and an int32
// TRIANGLE array (M x 3); columnMajor stores both arrays column by column.
void writeGiftiSurface(const std::vector<float>& positions, const std::vector<std::int32_t>& triangles,
                       const std::string& path, bool columnMajor = false);

// A GIFTI label file as read back: per-vertex keys and the label table.
struct GiftiLabels {
    std::vector<std::int32_t> keys;
    std::vector<std::int32_t> tableKeys;
    std::vector<std::string> tableNames;
    std::vector<std::array<float, 4>> tableColours;
};
GiftiLabels readGiftiLabels(const std::string& path);

// Writes text to a file as it is (binary mode).
void writeText(const std::string& path, const std::string& text);
std::string readText(const std::string& path);

// A fresh, empty folder under the system's temporary folder.
std::string makeTempFolder();
// Names of the entries of a folder, sorted.
std::vector<std::string> listFolder(const std::string& folder);

}  // namespace zevkalon::testing

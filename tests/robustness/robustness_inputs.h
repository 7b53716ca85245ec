// The input files of the robustness tests, written byte by byte so that they
// can be made wrong in any way: NIfTI-1 volumes with any header, GIFTI
// surfaces as XML text, OBJ surfaces as text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/host/test_files.h"

namespace zevkalon::robustness {

// A NIfTI-1 single file (.nii): 348-byte header, 4 empty extension bytes,
// then data. dims may be anything, including sizes that data does not hold;
// the voxel-to-world transform is the identity sform.
std::string niftiFile(const std::vector<std::int64_t>& dims, int datatype, int bitsPerVoxel, const std::string& data);

// The labels of a volume as bytes of one type.
std::string uint8Labels(const std::vector<int>& labels);
std::string float32Labels(const std::vector<float>& labels);
std::string int64Labels(const std::vector<std::int64_t>& labels);

// gzip-compressed bytes (for .nii.gz).
std::string gzipped(const std::string& bytes);

// A GIFTI surface with ASCII-encoded POINTSET (float32) and TRIANGLE (int32)
// arrays. Values are written as given, so "nan" or "inf" can be among them;
// rows is the Dim0 declared for each array (-1: the true row count).
std::string giftiText(const std::vector<std::string>& coordinates, const std::vector<std::int32_t>& triangles,
                      int pointRows = -1, int triangleRows = -1);

// The scene of the tests: a flat 10 x 10 grid of vertices (i, j, 5), vertex
// i + 10 j, in a 10 x 10 x 10 volume with label 1 on voxels i, j in 2..4 at
// k 6 and label 2 on i, j in 6..8 at k 6; both are reached with From -1,
// To 3 and make a POI file of about 600 bytes.
struct GridScene {
    static constexpr int kSide = 10;
    std::vector<int> labels;
    std::vector<double> positions;
    std::vector<std::int32_t> triangles;
    GridScene();
    std::string volume() const;   // .nii
    std::string obj() const;      // .obj
    std::string gifti() const;    // .surf.gii
    // The surface as GIFTI with its arrays stored as encoding: "Base64Binary",
    // "GZipBase64Binary", or "ExternalFileBinary" with the data of
    // externalData() (points, then triangles) in the file externalName.
    std::string giftiEncoded(const std::string& encoding, const std::string& externalName = "") const;
    std::string externalData() const;
};

// Files and folders: the host tests' helpers, plus a removal that also
// clears folders a test made read-only.
using testing::listFolder;
using testing::makeTempFolder;
using testing::readText;
using testing::writeText;
void removeTree(const std::string& path);

}  // namespace zevkalon::robustness

// GIFTI files (surfaces, labels, per-vertex data) written to a stream.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace zevkalon::gifti {

// Name/value pairs, written in this order.
using MetaData = std::vector<std::pair<std::string, std::string>>;

// One entry of a label table; colour components 0 to 1.
struct Label {
    std::int32_t key = 0;
    std::string name;
    std::array<float, 4> rgba = {0.0f, 0.0f, 0.0f, 0.0f};
};

// One data array: rows x columns values in row-major order (columns 1 for a
// per-vertex column, 3 for positions or triangles). Exactly one of ints and
// floats holds the rows * columns values; the other is empty.
struct DataArray {
    std::string intent;  // e.g. "NIFTI_INTENT_POINTSET", "NIFTI_INTENT_LABEL", "NIFTI_INTENT_NONE"
    std::int64_t rows = 0;
    std::int64_t columns = 1;
    std::vector<std::int32_t> ints;
    std::vector<float> floats;
    MetaData meta;  // e.g. {"Name", "V1"}
    // Only for NIFTI_INTENT_POINTSET: the coordinate system of the positions,
    // e.g. "NIFTI_XFORM_SCANNER_ANAT"; written with an identity transform.
    std::string coordinateSystem;
};

struct Document {
    MetaData meta;                 // file-level, e.g. {"AnatomicalStructurePrimary", "CortexLeft"}
    bool hasLabelTable = false;    // writes <LabelTable> (empty when labels is)
    std::vector<Label> labels;
    std::vector<DataArray> arrays;
};

// The encoding that writeGifti uses for data: "GZipBase64Binary" (zlib
// streams, as every GIFTI reader expects) when zevkalon was built with zlib,
// else "Base64Binary". Little-endian either way.
const char* dataEncoding();

// Writes the document as GIFTI 1.0 XML, UTF-8. Names and values pass through
// xmlText, so any bytes give a well-formed file. Throws std::invalid_argument
// when an array's value count does not match rows * columns.
void writeGifti(std::ostream& out, const Document& document);

// The same file for a document whose arrays are too large to hold all at
// once (one column per POI of a whole surface): head gives everything but
// the arrays (its own arrays are ignored); array(i) makes array i, for i
// from 0 to nrOfArrays - 1, each written before the next is made.
void writeGifti(std::ostream& out, const Document& head, std::size_t nrOfArrays,
                const std::function<DataArray(std::size_t)>& array);

}  // namespace zevkalon::gifti

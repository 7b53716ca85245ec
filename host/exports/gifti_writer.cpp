#include "host/exports/gifti_writer.h"

#include <cstring>
#include <ostream>
#include <stdexcept>

#include "host/exports/base64.h"
#include "host/exports/xml_text.h"

#if defined(TESSARIN_HAVE_ZLIB)
#include <zlib.h>
#endif

namespace zevkalon::gifti {
namespace {

// The values as little-endian bytes, whatever the machine's byte order.
template <typename T>
std::vector<std::uint8_t> littleEndianBytes(const std::vector<T>& values) {
    static_assert(sizeof(T) == 4, "GIFTI arrays here hold 32-bit values");
    std::vector<std::uint8_t> bytes(values.size() * 4);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::uint32_t word = 0;
        std::memcpy(&word, &values[i], 4);
        for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<std::uint8_t>(word >> (8 * b));
    }
    return bytes;
}

std::string encodeData(const std::vector<std::uint8_t>& bytes) {
#if defined(TESSARIN_HAVE_ZLIB)
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<std::uint8_t> packed(size);
    if (compress2(packed.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), 6) != Z_OK) {
        throw std::runtime_error("cannot compress GIFTI data");
    }
    return base64Encode(packed.data(), size);
#else
    return base64Encode(bytes.data(), bytes.size());
#endif
}

void writeMeta(std::ostream& out, const MetaData& meta, const char* indent) {
    if (meta.empty()) {
        out << indent << "<MetaData/>\n";
        return;
    }
    out << indent << "<MetaData>\n";
    for (const auto& [name, value] : meta) {
        out << indent << "  <MD><Name>" << xmlText(name) << "</Name><Value>" << xmlText(value) << "</Value></MD>\n";
    }
    out << indent << "</MetaData>\n";
}

void writeLabelTable(std::ostream& out, const std::vector<Label>& labels) {
    out << "  <LabelTable>\n";
    for (const Label& label : labels) {
        out << "    <Label Key=\"" << label.key << "\" Red=\"" << label.rgba[0] << "\" Green=\"" << label.rgba[1]
            << "\" Blue=\"" << label.rgba[2] << "\" Alpha=\"" << label.rgba[3] << "\">" << xmlText(label.name)
            << "</Label>\n";
    }
    out << "  </LabelTable>\n";
}

void writeArray(std::ostream& out, const DataArray& array) {
    const std::size_t count = static_cast<std::size_t>(array.rows * array.columns);
    const bool isInt = !array.ints.empty() || array.floats.empty();
    if ((isInt ? array.ints.size() : array.floats.size()) != count || (!array.ints.empty() && !array.floats.empty())) {
        throw std::invalid_argument("GIFTI array " + array.intent + ": value count does not match its size");
    }
    out << "  <DataArray Intent=\"" << xmlText(array.intent) << "\" DataType=\""
        << (isInt ? "NIFTI_TYPE_INT32" : "NIFTI_TYPE_FLOAT32") << "\" ArrayIndexingOrder=\"RowMajorOrder\""
        << " Dimensionality=\"" << (array.columns == 1 ? 1 : 2) << "\" Dim0=\"" << array.rows << "\"";
    if (array.columns != 1) out << " Dim1=\"" << array.columns << "\"";
    out << " Encoding=\"" << dataEncoding() << "\" Endian=\"LittleEndian\" ExternalFileName=\"\""
        << " ExternalFileOffset=\"\">\n";
    writeMeta(out, array.meta, "    ");
    if (!array.coordinateSystem.empty()) {
        out << "    <CoordinateSystemTransformMatrix>\n"
            << "      <DataSpace>" << xmlText(array.coordinateSystem) << "</DataSpace>\n"
            << "      <TransformedSpace>" << xmlText(array.coordinateSystem) << "</TransformedSpace>\n"
            << "      <MatrixData>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</MatrixData>\n"
            << "    </CoordinateSystemTransformMatrix>\n";
    }
    out << "    <Data>" << encodeData(isInt ? littleEndianBytes(array.ints) : littleEndianBytes(array.floats))
        << "</Data>\n  </DataArray>\n";
}

// Everything before the arrays.
void writeHead(std::ostream& out, const Document& document, std::size_t nrOfArrays) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<GIFTI Version=\"1.0\" NumberOfDataArrays=\"" << nrOfArrays << "\">\n";
    writeMeta(out, document.meta, "  ");
    if (document.hasLabelTable) writeLabelTable(out, document.labels);
}

}  // namespace

const char* dataEncoding() {
#if defined(TESSARIN_HAVE_ZLIB)
    return "GZipBase64Binary";
#else
    return "Base64Binary";
#endif
}

void writeGifti(std::ostream& out, const Document& document) {
    writeHead(out, document, document.arrays.size());
    for (const DataArray& array : document.arrays) writeArray(out, array);
    out << "</GIFTI>\n";
}

void writeGifti(std::ostream& out, const Document& head, std::size_t nrOfArrays,
                const std::function<DataArray(std::size_t)>& array) {
    writeHead(out, head, nrOfArrays);
    for (std::size_t i = 0; i < nrOfArrays; ++i) writeArray(out, array(i));
    out << "</GIFTI>\n";
}

}  // namespace zevkalon::gifti

#include "tests/robustness/robustness_inputs.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <sstream>
#include <stdexcept>

namespace zevkalon::robustness {

namespace {

template <typename T>
void put(std::string& bytes, std::size_t offset, T value) {
    std::memcpy(&bytes[offset], &value, sizeof value);
}

template <typename T>
std::string rawBytes(const std::vector<T>& values) {
    return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

std::string base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
        for (std::size_t k = 0; k < 4; ++k) text += i + k <= bytes.size() ? digits[(value >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

std::string zlibCompressed(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                 static_cast<uLong>(bytes.size())) != Z_OK) {
        throw std::runtime_error("zlib");
    }
    out.resize(size);
    return out;
}

}  // namespace

std::string niftiFile(const std::vector<std::int64_t>& dims, int datatype, int bitsPerVoxel, const std::string& data) {
    std::string header(348, '\0');
    put<std::int32_t>(header, 0, 348);
    put<std::int16_t>(header, 40, static_cast<std::int16_t>(dims.size()));
    for (std::size_t d = 0; d < 7; ++d) {
        put<std::int16_t>(header, 42 + 2 * d, static_cast<std::int16_t>(d < dims.size() ? dims[d] : 1));
    }
    put<std::int16_t>(header, 70, static_cast<std::int16_t>(datatype));
    put<std::int16_t>(header, 72, static_cast<std::int16_t>(bitsPerVoxel));
    for (int d = 0; d < 8; ++d) put<float>(header, 76 + 4 * static_cast<std::size_t>(d), 1.0f);
    put<float>(header, 108, 352.0f);  // vox_offset
    put<std::int16_t>(header, 254, 1);  // sform_code
    const float rows[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    for (int i = 0; i < 12; ++i) put<float>(header, 280 + 4 * static_cast<std::size_t>(i), rows[i]);
    header.replace(344, 4, std::string("n+1\0", 4));
    return header + std::string(4, '\0') + data;
}

std::string uint8Labels(const std::vector<int>& labels) {
    std::string bytes;
    for (int label : labels) bytes.push_back(static_cast<char>(label));
    return bytes;
}
std::string float32Labels(const std::vector<float>& labels) { return rawBytes(labels); }
std::string int64Labels(const std::vector<std::int64_t>& labels) { return rawBytes(labels); }

std::string gzipped(const std::string& bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("zlib");
    std::string out(deflateBound(&stream, static_cast<uLong>(bytes.size())) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib");
    return out;
}

std::string giftiText(const std::vector<std::string>& coordinates, const std::vector<std::int32_t>& triangles,
                      int pointRows, int triangleRows) {
    auto array = [](const char* intent, const char* type, int rows, const std::string& values) {
        return std::string("<DataArray Intent=\"") + intent + "\" DataType=\"" + type +
               "\" ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"2\" Dim0=\"" + std::to_string(rows) +
               "\" Dim1=\"3\" Encoding=\"ASCII\" Endian=\"LittleEndian\" ExternalFileName=\"\" "
               "ExternalFileOffset=\"\">\n<MetaData></MetaData>\n<Data>" +
               values + "</Data>\n</DataArray>\n";
    };
    std::string points, corners;
    for (const std::string& c : coordinates) points += c + " ";
    for (std::int32_t t : triangles) corners += std::to_string(t) + " ";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"2\">\n"
           "<MetaData></MetaData>\n<LabelTable></LabelTable>\n" +
           array("NIFTI_INTENT_POINTSET", "NIFTI_TYPE_FLOAT32",
                 pointRows >= 0 ? pointRows : static_cast<int>(coordinates.size() / 3), points) +
           array("NIFTI_INTENT_TRIANGLE", "NIFTI_TYPE_INT32",
                 triangleRows >= 0 ? triangleRows : static_cast<int>(triangles.size() / 3), corners) +
           "</GIFTI>\n";
}

GridScene::GridScene() : labels(kSide * kSide * kSide, 0) {
    for (int j = 0; j < kSide; ++j) {
        for (int i = 0; i < kSide; ++i) positions.insert(positions.end(), {double(i), double(j), 5.0});
    }
    for (int j = 0; j + 1 < kSide; ++j) {
        for (int i = 0; i + 1 < kSide; ++i) {
            const std::int32_t v = i + j * kSide;
            triangles.insert(triangles.end(), {v, v + 1, v + kSide + 1, v, v + kSide + 1, v + kSide});
        }
    }
    for (int j = 2; j <= 4; ++j) {
        for (int i = 2; i <= 4; ++i) labels[static_cast<std::size_t>(i + (j + 6 * kSide) * kSide)] = 1;
    }
    for (int j = 6; j <= 8; ++j) {
        for (int i = 6; i <= 8; ++i) labels[static_cast<std::size_t>(i + (j + 6 * kSide) * kSide)] = 2;
    }
}

std::string GridScene::volume() const { return niftiFile({kSide, kSide, kSide}, 2, 8, uint8Labels(labels)); }

std::string GridScene::obj() const {
    std::ostringstream text;
    for (std::size_t v = 0; v < positions.size(); v += 3) {
        text << "v " << positions[v] << ' ' << positions[v + 1] << ' ' << positions[v + 2] << '\n';
    }
    for (std::size_t t = 0; t < triangles.size(); t += 3) {
        text << "f " << triangles[t] + 1 << ' ' << triangles[t + 1] + 1 << ' ' << triangles[t + 2] + 1 << '\n';
    }
    return text.str();
}

std::string GridScene::gifti() const {
    std::vector<std::string> coordinates;
    for (double p : positions) coordinates.push_back(std::to_string(p));
    return giftiText(coordinates, triangles);
}

std::string GridScene::externalData() const {
    const std::vector<float> points(positions.begin(), positions.end());
    return rawBytes(points) + rawBytes(triangles);
}

std::string GridScene::giftiEncoded(const std::string& encoding, const std::string& externalName) const {
    const std::vector<float> points(positions.begin(), positions.end());
    const std::string parts[2] = {rawBytes(points), rawBytes(triangles)};
    std::string arrays;
    for (int a = 0; a < 2; ++a) {
        std::string data;
        if (encoding == "Base64Binary") data = base64(parts[a]);
        if (encoding == "GZipBase64Binary") data = base64(zlibCompressed(parts[a]));
        const bool external = encoding == "ExternalFileBinary";
        arrays += std::string("<DataArray Intent=\"") + (a == 0 ? "NIFTI_INTENT_POINTSET" : "NIFTI_INTENT_TRIANGLE") +
                  "\" DataType=\"" + (a == 0 ? "NIFTI_TYPE_FLOAT32" : "NIFTI_TYPE_INT32") +
                  "\" ArrayIndexingOrder=\"RowMajorOrder\" Dimensionality=\"2\" Dim0=\"" +
                  std::to_string(parts[a].size() / 12) + "\" Dim1=\"3\" Encoding=\"" + encoding +
                  "\" Endian=\"LittleEndian\" ExternalFileName=\"" + (external ? externalName : "") +
                  "\" ExternalFileOffset=\"" + (external && a == 1 ? std::to_string(parts[0].size()) : "0") +
                  "\">\n<Data>" + data + "</Data>\n</DataArray>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"2\">\n" + arrays +
           "</GIFTI>\n";
}

void removeTree(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return;
    if (S_ISDIR(info.st_mode)) {
        chmod(path.c_str(), 0700);  // a test may have made it read-only
        for (const std::string& name : listFolder(path)) removeTree(path + "/" + name);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}


}  // namespace zevkalon::robustness

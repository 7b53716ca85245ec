#include "host/readers/mgh_volume_reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "host/documents/volume_geometry.h"
#include "host/host_error.h"
#include "host/readers/big_endian.h"
#include "host/readers/open_failure.h"

#if defined(TESSARIN_HAVE_ZLIB)
#include <zlib.h>
#endif

namespace zevkalon {

namespace {

bool endsWithNoCase(const std::string& text, const char* suffix) {
    const std::size_t length = std::char_traits<char>::length(suffix);
    if (text.size() < length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - length + i])) != suffix[i]) return false;
    }
    return true;
}

}  // namespace

bool isMghFileName(const std::string& path) { return endsWithNoCase(path, ".mgh") || endsWithNoCase(path, ".mgz"); }

#if defined(TESSARIN_HAVE_ZLIB)

namespace {

// The header's fields take 90 bytes; the data starts at a fixed offset.
constexpr int kDataOffset = 284;

struct GzCloser {
    void operator()(gzFile_s* file) const { gzclose(file); }
};

struct DataType {
    int code;
    int bytes;
    const char* name;
};
constexpr DataType kDataTypes[] = {{0, 1, "uchar"}, {1, 4, "int"}, {3, 4, "float"}, {4, 2, "short"}};

double valueAt(const DataType& type, const unsigned char* bytes) {
    switch (type.code) {
        case 0: return bytes[0];
        case 1: return bigEndianI32(bytes);
        case 3: return bigEndianF32(bytes);
        default: return bigEndianI16(bytes);
    }
}

HostError damaged(const std::string& path, const std::string& problem) {
    return badInput(path + ": not a readable MGH volume: " + problem);
}

std::string voxelName(std::int64_t index, const std::int32_t dims[3]) {
    std::ostringstream text;
    text << "voxel (" << index % dims[0] << ", " << (index / dims[0]) % dims[1] << ", " << index / dims[0] / dims[1]
         << ")";
    return text.str();
}

// The geometry the header gives, or FreeSurfer's default (1 mm voxels,
// L I A, centred on the origin) when it marks its own as unset.
VolumeGeometry headerGeometry(const unsigned char* header, const std::int32_t dims[3]) {
    VolumeGeometry geometry;
    geometry.dims = {dims[0], dims[1], dims[2]};
    if (bigEndianI16(header + 28) == 0) return geometry;
    std::array<double, 3>* columns[4] = {&geometry.xras, &geometry.yras, &geometry.zras, &geometry.cras};
    for (std::size_t a = 0; a < 3; ++a) geometry.voxelSize[a] = bigEndianF32(header + 30 + 4 * a);
    for (std::size_t c = 0; c < 4; ++c) {
        for (std::size_t r = 0; r < 3; ++r) (*columns[c])[r] = bigEndianF32(header + 42 + 12 * c + 4 * r);
    }
    return geometry;
}

}  // namespace

LabelVolume readMghVolume(const std::string& path) {
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) throw badInput(path + ": is a folder, not a volume file");
    if (!std::ifstream(path, std::ios::binary)) throw badInput(cannotOpen(path, "volume file"));
    // gzread reads plain .mgh files as they are and decompresses .mgz.
    std::unique_ptr<gzFile_s, GzCloser> file(gzopen(path.c_str(), "rb"));
    unsigned char header[kDataOffset] = {};
    if (!file || gzread(file.get(), header, kDataOffset) != kDataOffset) {
        throw damaged(path, "the file is too short for a header, or its compression is damaged");
    }
    if (bigEndianI32(header) != 1) {
        throw damaged(path, "format version " + std::to_string(bigEndianI32(header)) + ", not 1");
    }
    std::int32_t dims[4];
    for (int d = 0; d < 4; ++d) dims[d] = bigEndianI32(header + 4 + 4 * d);
    if (dims[0] < 1 || dims[1] < 1 || dims[2] < 1 || dims[3] < 1) {
        std::ostringstream message;
        message << "the header declares " << dims[0] << " x " << dims[1] << " x " << dims[2] << " voxels and "
                << dims[3] << " frames; every size must be at least 1";
        throw damaged(path, message.str());
    }
    if (dims[3] != 1) {
        throw badInput(path + ": a label volume has one frame, but this one has " + std::to_string(dims[3]));
    }
    const std::int32_t code = bigEndianI32(header + 20);
    const DataType* type = nullptr;
    for (const DataType& candidate : kDataTypes) {
        if (candidate.code == code) type = &candidate;
    }
    if (type == nullptr) {
        throw badInput(path + ": MGH data type " + std::to_string(code) +
                       " cannot hold labels (use uchar, short, int or float)");
    }
    const std::int64_t count = static_cast<std::int64_t>(dims[0]) * dims[1] * dims[2];
    if (count > std::numeric_limits<std::int32_t>::max()) {
        std::ostringstream message;
        message << path << ": the volume declares " << dims[0] << " x " << dims[1] << " x " << dims[2]
                << " voxels, more than the " << std::numeric_limits<std::int32_t>::max() << " supported";
        throw badInput(message.str());
    }
    LabelVolume volume;
    std::copy(dims, dims + 3, volume.dims);
    const VolumeGeometry geometry = headerGeometry(header, dims);
    const std::string problem = geometryProblem(geometry);
    if (!problem.empty()) throw badInput(path + ": unusable voxel-to-world transform in the header: " + problem);
    volume.voxelToWorld = voxelToScanner(geometry);

    // Read in pieces, so that a header declaring more than the file holds
    // costs no memory.
    constexpr std::int64_t kChunk = 1 << 16;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(kChunk * type->bytes));
    for (std::int64_t first = 0; first < count; first += kChunk) {
        const std::int64_t n = std::min(kChunk, count - first);
        const int wanted = static_cast<int>(n * type->bytes);
        const int got = gzread(file.get(), buffer.data(), static_cast<unsigned>(wanted));
        if (got < 0) throw damaged(path, "its compressed data is damaged");
        if (got != wanted) {
            std::ostringstream message;
            message << "the file ends early: the header declares " << count << " voxels, the data stops before voxel "
                    << first + n;
            throw damaged(path, message.str());
        }
        for (std::int64_t i = 0; i < n; ++i) {
            const double value = valueAt(*type, buffer.data() + i * type->bytes);
            if (!std::isfinite(value) || value != std::floor(value)) {
                std::ostringstream message;
                message << path << ": " << voxelName(first + i, volume.dims) << " holds " << value
                        << ", not a whole number; a label volume needs integral labels";
                throw badInput(message.str());
            }
            if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
                std::ostringstream message;
                message << path << ": " << voxelName(first + i, volume.dims) << " holds the label " << value
                        << ", beyond the 32-bit range";
                throw badInput(message.str());
            }
            volume.labels.push_back(static_cast<std::int32_t>(value));
        }
    }
    return volume;
}

#else

LabelVolume readMghVolume(const std::string& path) {
    throw badInput(path + ": this build of zevkalon reads no MGH volumes (built without zlib)");
}

#endif

}  // namespace zevkalon

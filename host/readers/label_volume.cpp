#include "host/readers/label_volume.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "host/readers/captured_stderr.h"
#include "host/host_error.h"

#if defined(TESSARIN_HAVE_NIFTI)
#include <nifti2_io.h>
#include <zlib.h>
#endif

namespace zevkalon {

#if defined(TESSARIN_HAVE_NIFTI)

bool canReadNifti() { return true; }

namespace {

struct NiftiDeleter {
    void operator()(nifti_image* image) const { nifti_image_free(image); }
};

template <typename T>
double rawValue(const void* data, std::int64_t index) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(data) + index * static_cast<std::int64_t>(sizeof(T)),
                sizeof(T));
    return static_cast<double>(value);
}

// Every integer type that the format offers converts to double exactly up
// to 2^53, far beyond the int32 labels accepted, so one double path serves
// all of them; larger values are refused as out of range anyway.
double valueAt(int datatype, const void* data, std::int64_t index) {
    switch (datatype) {
        case DT_INT8: return rawValue<std::int8_t>(data, index);
        case DT_UINT8: return rawValue<std::uint8_t>(data, index);
        case DT_INT16: return rawValue<std::int16_t>(data, index);
        case DT_UINT16: return rawValue<std::uint16_t>(data, index);
        case DT_INT32: return rawValue<std::int32_t>(data, index);
        case DT_UINT32: return rawValue<std::uint32_t>(data, index);
        case DT_INT64: return rawValue<std::int64_t>(data, index);
        case DT_UINT64: return rawValue<std::uint64_t>(data, index);
        case DT_FLOAT32: return rawValue<float>(data, index);
        case DT_FLOAT64: return rawValue<double>(data, index);
        default: return std::numeric_limits<double>::quiet_NaN();
    }
}

bool isSupportedType(int datatype) {
    switch (datatype) {
        case DT_INT8: case DT_UINT8: case DT_INT16: case DT_UINT16: case DT_INT32:
        case DT_UINT32: case DT_INT64: case DT_UINT64: case DT_FLOAT32: case DT_FLOAT64:
            return true;
        default:
            return false;
    }
}

Affine toAffine(const nifti_dmat44& matrix) {
    std::array<double, 12> rows{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) rows[static_cast<std::size_t>(r * 4 + c)] = matrix.m[r][c];
    }
    return Affine(rows);
}

std::string voxelName(std::int64_t index, const std::int32_t dims[3]) {
    const std::int64_t i = index % dims[0], j = (index / dims[0]) % dims[1], k = index / dims[0] / dims[1];
    std::ostringstream text;
    text << "voxel (" << i << ", " << j << ", " << k << ")";
    return text.str();
}

struct GzFileCloser {
    void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzFileCloser>;

GzFile openCompressedOrPlain(const std::string& path) {
    return GzFile(gzopen(path.c_str(), "rb"));
}

template <typename T>
T headerValue(const unsigned char* bytes, bool swapped) {
    unsigned char copy[sizeof(T)];
    std::memcpy(copy, bytes, sizeof(T));
    if (swapped) std::reverse(copy, copy + sizeof(T));
    T value;
    std::memcpy(&value, copy, sizeof(T));
    return value;
}

// The dimensions exactly as the file declares them. The NIfTI library quietly
// turns sizes below 1 (and a missing dim[0]) into 1, which would read a broken
// header as a different, valid volume; these checks see the raw values.
void checkDeclaredDimensions(const std::string& path) {
    GzFile file = openCompressedOrPlain(path);
    unsigned char header[540] = {};
    const int length = file ? gzread(file.get(), header, sizeof header) : -1;
    if (length < 348) throw badInput(path + ": not a readable NIfTI-1 or NIfTI-2 volume: the file is too short for a header");
    std::array<std::int64_t, 8> dim{};
    const std::int32_t size = headerValue<std::int32_t>(header, false);
    const std::int32_t swappedSize = headerValue<std::int32_t>(header, true);
    if (size == 348 || swappedSize == 348) {
        const bool swapped = size != 348;
        for (int d = 0; d < 8; ++d) dim[d] = headerValue<std::int16_t>(header + 40 + 2 * d, swapped);
    } else if ((size == 540 || swappedSize == 540) && length == 540) {
        const bool swapped = size != 540;
        for (int d = 0; d < 8; ++d) dim[d] = headerValue<std::int64_t>(header + 16 + 8 * d, swapped);
    } else {
        throw badInput(path + ": not a readable NIfTI-1 or NIfTI-2 volume: unknown header size");
    }
    if (dim[0] < 1 || dim[0] > 7) {
        throw badInput(path + ": the header declares " + std::to_string(dim[0]) +
                       " dimensions; a label volume needs 1 to 7 (three in use)");
    }
    for (int d = 1; d <= dim[0]; ++d) {
        if (dim[d] < 1) {
            throw badInput(path + ": dimension " + std::to_string(d) + " has size " + std::to_string(dim[d]) +
                           "; every size must be at least 1");
        }
    }
}

// Reads the voxel values in pieces straight into 32-bit labels, so that a
// header declaring far more data than the file holds costs no memory, and
// NaN or infinite floats are seen as they are stored (the NIfTI library's
// own loader would quietly turn them into 0).
class VoxelValueReader {
public:
    VoxelValueReader(const nifti_image& image, const std::string& path) : image_(image), path_(path) {
        file_ = openCompressedOrPlain(image.iname != nullptr ? image.iname : path);
        if (!file_ || gzseek(file_.get(), static_cast<z_off_t>(image.iname_offset), SEEK_SET) < 0) {
            throw badInput(path + ": not a readable NIfTI-1 or NIfTI-2 volume: cannot read the voxel data");
        }
        swap_ = image.byteorder != nifti_short_order() && image.swapsize > 1;
    }

    // Calls take(index, value) for each of count voxels in storage order.
    template <typename Take>
    void forEach(std::int64_t count, Take take) {
        constexpr std::int64_t kChunk = 1 << 16;
        const std::int64_t bytesPer = image_.nbyper;
        std::vector<unsigned char> buffer(static_cast<std::size_t>(kChunk * bytesPer));
        for (std::int64_t first = 0; first < count; first += kChunk) {
            const std::int64_t n = std::min(kChunk, count - first);
            const int wanted = static_cast<int>(n * bytesPer);
            if (gzread(file_.get(), buffer.data(), static_cast<unsigned>(wanted)) != wanted) {
                std::ostringstream message;
                message << path_ << ": not a readable NIfTI-1 or NIfTI-2 volume: the file ends early: the header declares " << count
                        << " voxels, the data stops before voxel " << first + n;
                throw badInput(message.str());
            }
            if (swap_) nifti_swap_Nbytes(n * bytesPer / image_.swapsize, image_.swapsize, buffer.data());
            for (std::int64_t i = 0; i < n; ++i) take(first + i, valueAt(image_.datatype, buffer.data(), i));
        }
    }

private:
    const nifti_image& image_;
    const std::string& path_;
    GzFile file_;
    bool swap_ = false;
};

}  // namespace

LabelVolume readLabelVolume(const std::string& path) {
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) throw badInput(path + ": is a folder, not a volume file");
    if (!std::ifstream(path, std::ios::binary)) throw badInput(path + ": cannot open the volume file");
    checkDeclaredDimensions(path);
    // The library reports its failures on stderr in its own words; they are
    // caught and added to ours, so every message starts with "zevkalon: ".
    nifti_set_debug_level(1);
    std::unique_ptr<nifti_image, NiftiDeleter> image;
    // The header only: the data is read below in pieces.
    const std::string detail = captureStderr([&] { image.reset(nifti_image_read(path.c_str(), 0)); });
    if (!image) {
        throw badInput(path + ": not a readable NIfTI-1 or NIfTI-2 volume" + (detail.empty() ? "" : " (" + detail + ")"));
    }

    for (int d = 4; d <= 7; ++d) {
        if (image->dim[0] >= d && image->dim[d] > 1) {
            std::ostringstream message;
            message << path << ": a label volume has three dimensions, but dimension " << d << " has size "
                    << image->dim[d];
            throw badInput(message.str());
        }
    }
    if (!isSupportedType(image->datatype)) {
        throw badInput(path + ": data type " + nifti_datatype_to_string(image->datatype) +
                       " cannot hold labels (use an integer or float type)");
    }
    LabelVolume volume;
    const std::int64_t sizes[3] = {image->nx, image->ny, image->nz};
    for (int a = 0; a < 3; ++a) {
        if (sizes[a] < 1 || sizes[a] > std::numeric_limits<std::int32_t>::max()) {
            throw badInput(path + ": volume dimensions out of range");
        }
        volume.dims[a] = static_cast<std::int32_t>(sizes[a]);
    }
    volume.voxelToWorld = toAffine(image->sform_code > 0 ? image->sto_xyz : image->qto_xyz);
    if (!volume.voxelToWorld.isInvertible()) {
        throw badInput(path + ": the voxel-to-world transform cannot be inverted");
    }

    // A slope of 0 means "no scaling" in the format; so does 1 with 0.
    const bool scaled = image->scl_slope != 0.0 && (image->scl_slope != 1.0 || image->scl_inter != 0.0);
    // Each size fits 31 bits, so the product of the first two cannot overflow.
    const std::int64_t plane = sizes[0] * sizes[1];
    const std::int64_t count =
        plane > std::numeric_limits<std::int32_t>::max() ? plane : plane * sizes[2];
    if (count > std::numeric_limits<std::int32_t>::max()) {
        std::ostringstream message;
        message << path << ": the volume declares " << sizes[0] << " x " << sizes[1] << " x " << sizes[2]
                << " voxels, more than the " << std::numeric_limits<std::int32_t>::max() << " supported";
        throw badInput(message.str());
    }
    VoxelValueReader reader(*image, path);
    reader.forEach(count, [&](std::int64_t index, double value) {
        if (scaled) value = image->scl_slope * value + image->scl_inter;
        if (!std::isfinite(value) || value != std::floor(value)) {
            std::ostringstream message;
            message << path << ": " << voxelName(index, volume.dims) << " holds " << value
                    << ", not a whole number; a label volume needs integral labels";
            throw badInput(message.str());
        }
        if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
            std::ostringstream message;
            message << path << ": " << voxelName(index, volume.dims) << " holds the label " << value
                    << ", beyond the 32-bit range";
            throw badInput(message.str());
        }
        volume.labels.push_back(static_cast<std::int32_t>(value));
    });
    return volume;
}

#else

bool canReadNifti() { return false; }

LabelVolume readLabelVolume(const std::string& path) {
    throw badInput(path + ": this build of zevkalon reads no NIfTI volumes (built without the NIfTI library)");
}

#endif

}  // namespace zevkalon

#include "host/readers/label_volume.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <sstream>
#include <type_traits>

#include "host/host_error.h"
#include "host/readers/captured_stderr.h"
#include "host/readers/nifti_header_check.h"
#include "host/readers/open_failure.h"

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

struct Scaling {
    bool scaled;
    double slope, intercept;
};

struct GzFileCloser {
    void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzFileCloser>;

GzFile openCompressedOrPlain(const std::string& path) {
    return GzFile(gzopen(path.c_str(), "rb"));
}

// Stored values to labels, one type at a time: labels are whole numbers
// within 32 bits after the file's scaling. Returns how many of the n values
// at bytes were labels (n when all were); out receives them.
template <typename T>
std::int64_t convertToLabels(const unsigned char* bytes, std::int64_t n, const Scaling& scaling, std::int32_t* out) {
    // The common case, unscaled integers that always fit, as a plain
    // widening copy that the compiler vectorises.
    if constexpr (std::is_integral_v<T> && sizeof(T) <= 2) {
        if (!scaling.scaled) {
            // Blocks of a fixed length, which the compiler vectorises at -O2 too.
            constexpr std::int64_t kBlock = 16;
            std::int64_t i = 0;
            for (; i + kBlock <= n; i += kBlock) {
                T stored[kBlock];
                std::memcpy(stored, bytes + i * static_cast<std::int64_t>(sizeof(T)), sizeof stored);
                for (std::int64_t b = 0; b < kBlock; ++b) out[i + b] = stored[b];
            }
            for (; i < n; ++i) {
                T stored;
                std::memcpy(&stored, bytes + i * static_cast<std::int64_t>(sizeof(T)), sizeof(T));
                out[i] = stored;
            }
            return n;
        }
    }
    for (std::int64_t i = 0; i < n; ++i) {
        T stored;
        std::memcpy(&stored, bytes + i * static_cast<std::int64_t>(sizeof(T)), sizeof(T));
        double value = static_cast<double>(stored);
        if (scaling.scaled) value = scaling.slope * value + scaling.intercept;
        // NaN fails the first test, an infinity the range.
        if (!(value == std::floor(value)) || value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max()) {
            return i;
        }
        out[i] = static_cast<std::int32_t>(value);
    }
    return n;
}

std::int64_t convertToLabels(int datatype, const unsigned char* bytes, std::int64_t n, const Scaling& scaling,
                             std::int32_t* out) {
    switch (datatype) {
        case DT_INT8: return convertToLabels<std::int8_t>(bytes, n, scaling, out);
        case DT_UINT8: return convertToLabels<std::uint8_t>(bytes, n, scaling, out);
        case DT_INT16: return convertToLabels<std::int16_t>(bytes, n, scaling, out);
        case DT_UINT16: return convertToLabels<std::uint16_t>(bytes, n, scaling, out);
        case DT_INT32: return convertToLabels<std::int32_t>(bytes, n, scaling, out);
        case DT_UINT32: return convertToLabels<std::uint32_t>(bytes, n, scaling, out);
        case DT_INT64: return convertToLabels<std::int64_t>(bytes, n, scaling, out);
        case DT_UINT64: return convertToLabels<std::uint64_t>(bytes, n, scaling, out);
        case DT_FLOAT32: return convertToLabels<float>(bytes, n, scaling, out);
        case DT_FLOAT64: return convertToLabels<double>(bytes, n, scaling, out);
        default: return 0;
    }
}

std::string notALabel(const std::string& path, std::int64_t index, const std::int32_t dims[3], double value) {
    std::ostringstream message;
    message << path << ": " << voxelName(index, dims) << " holds ";
    if (!std::isfinite(value) || value != std::floor(value)) {
        message << value << ", not a whole number; a label volume needs one whole number per voxel (a region's "
                << "label). A probabilistic (fractional) atlas or an intensity image cannot be used as it is: give "
                << "the atlas's maximum-probability label volume (e.g. HarvardOxford-cort-maxprob-thr25), or turn "
                << "the map into labels (e.g. fslmaths map -thr 0.5 -bin labels)";
    } else {
        message << "the label " << value << ", beyond the 32-bit range";
    }
    return message.str();
}

// Reads the voxel values in pieces straight into 32-bit labels, so that NaN
// or infinite floats are seen as they are stored (the NIfTI library's own
// loader would quietly turn them into 0), and the data are never held twice.
void readLabels(const nifti_image& image, const std::string& path, std::int64_t count, LabelVolume& volume) {
    const std::string dataPath = image.iname != nullptr ? image.iname : path;
    GzFile file = openCompressedOrPlain(dataPath);
    if (!file || gzseek(file.get(), static_cast<z_off_t>(image.iname_offset), SEEK_SET) < 0) {
        throw badInput(path + ": not a readable NIfTI-1 or NIfTI-2 volume: cannot read the voxel data");
    }
    const bool swap = image.byteorder != nifti_short_order() && image.swapsize > 1;
    // A slope of 0 means "no scaling" in the format; so does 1 with 0.
    const Scaling scaling{image.scl_slope != 0.0 && (image.scl_slope != 1.0 || image.scl_inter != 0.0),
                          image.scl_slope, image.scl_inter};
    constexpr std::int64_t kChunk = 1 << 16;
    const std::int64_t bytesPer = image.nbyper;
    std::vector<unsigned char> buffer(static_cast<std::size_t>(kChunk * bytesPer));
    for (std::int64_t first = 0; first < count; first += kChunk) {
        const std::int64_t n = std::min(kChunk, count - first);
        const int wanted = static_cast<int>(n * bytesPer);
        if (gzread(file.get(), buffer.data(), static_cast<unsigned>(wanted)) != wanted) {
            std::ostringstream message;
            message << path << ": not a readable NIfTI-1 or NIfTI-2 volume: the file ends early: the header declares "
                    << count << " voxels, the data stops before voxel " << first + n;
            throw badInput(message.str());
        }
        if (swap) nifti_swap_Nbytes(n * bytesPer / image.swapsize, image.swapsize, buffer.data());
        volume.labels.resize(static_cast<std::size_t>(first + n));
        const std::int64_t good = convertToLabels(image.datatype, buffer.data(), n, scaling, volume.labels.data() + first);
        if (good < n) {
            double value = valueAt(image.datatype, buffer.data(), good);
            if (scaling.scaled) value = scaling.slope * value + scaling.intercept;
            throw badInput(notALabel(path, first + good, volume.dims, value));
        }
    }
}

}  // namespace

LabelVolume readLabelVolume(const std::string& path) {
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) throw badInput(path + ": is a folder, not a volume file");
    if (!std::ifstream(path, std::ios::binary)) throw badInput(cannotOpen(path, "volume file"));
    checkNiftiHeader(path);
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
                    << image->dim[d]
                    << " (a probabilistic atlas with one volume per region, or a time series?); give a 3D volume "
                       "with one whole-number label per voxel, e.g. the atlas's maximum-probability version";
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
    checkDataFits(path, image->iname != nullptr ? image->iname : path, image->iname_offset, count * image->nbyper);
    // The data can be there, so the labels are allocated at once: a volume
    // too large for memory fails now rather than after minutes of reading.
    try {
        volume.labels.reserve(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        std::ostringstream message;
        message << path << ": not enough memory for the labels of its " << sizes[0] << " x " << sizes[1] << " x "
                << sizes[2] << " voxels (" << count * 4 / (1 << 20) << " MB)";
        throw badInput(message.str());
    }
    readLabels(*image, path, count, volume);
    return volume;
}

#else

bool canReadNifti() { return false; }

LabelVolume readLabelVolume(const std::string& path) {
    throw badInput(path + ": this build of zevkalon reads no NIfTI volumes (built without the NIfTI library)");
}

#endif

}  // namespace zevkalon

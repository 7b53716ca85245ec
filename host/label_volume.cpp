#include "host/label_volume.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include "host/captured_stderr.h"
#include "host/host_error.h"

#if defined(TESSARIN_HAVE_NIFTI)
#include <nifti2_io.h>
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
double valueAt(const nifti_image& image, std::int64_t index) {
    switch (image.datatype) {
        case DT_INT8: return rawValue<std::int8_t>(image.data, index);
        case DT_UINT8: return rawValue<std::uint8_t>(image.data, index);
        case DT_INT16: return rawValue<std::int16_t>(image.data, index);
        case DT_UINT16: return rawValue<std::uint16_t>(image.data, index);
        case DT_INT32: return rawValue<std::int32_t>(image.data, index);
        case DT_UINT32: return rawValue<std::uint32_t>(image.data, index);
        case DT_INT64: return rawValue<std::int64_t>(image.data, index);
        case DT_UINT64: return rawValue<std::uint64_t>(image.data, index);
        case DT_FLOAT32: return rawValue<float>(image.data, index);
        case DT_FLOAT64: return rawValue<double>(image.data, index);
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

}  // namespace

LabelVolume readLabelVolume(const std::string& path) {
    if (!std::ifstream(path, std::ios::binary)) throw badInput(path + ": cannot open the volume file");
    // The library reports its failures on stderr in its own words; they are
    // caught and added to ours, so every message starts with "zevkalon: ".
    nifti_set_debug_level(1);
    std::unique_ptr<nifti_image, NiftiDeleter> image;
    const std::string detail = captureStderr([&] { image.reset(nifti_image_read(path.c_str(), 1)); });
    if (!image || image->data == nullptr) {
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
    const std::int64_t count = sizes[0] * sizes[1] * sizes[2];
    volume.labels.resize(static_cast<std::size_t>(count));
    for (std::int64_t index = 0; index < count; ++index) {
        double value = valueAt(*image, index);
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
        volume.labels[static_cast<std::size_t>(index)] = static_cast<std::int32_t>(value);
    }
    return volume;
}

#else

bool canReadNifti() { return false; }

LabelVolume readLabelVolume(const std::string& path) {
    throw badInput(path + ": this build of zevkalon reads no NIfTI volumes (built without the NIfTI library)");
}

#endif

}  // namespace zevkalon

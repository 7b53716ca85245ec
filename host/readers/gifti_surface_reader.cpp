#include "host/readers/gifti_surface_reader.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

#include "host/host_error.h"
#include "host/readers/captured_stderr.h"
#include "host/readers/gifti_direct_reader.h"
#include "host/readers/gifti_structure_check.h"
#include "host/readers/gifti_volume_geometry.h"
#include "host/readers/open_failure.h"

#if defined(TESSARIN_HAVE_GIFTI)
extern "C" {  // the library header has no C++ guard of its own
#include <gifti_io.h>
}
#endif

namespace zevkalon {

#if defined(TESSARIN_HAVE_GIFTI)

bool canUseGifti() { return true; }

namespace {

struct GiftiDeleter {
    void operator()(gifti_image* image) const { gifti_free_image(image); }
};

template <typename T>
double rawValue(const void* data, long long index) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(data) + index * static_cast<long long>(sizeof(T)), sizeof(T));
    return static_cast<double>(value);
}

// Value of entry (row, column) of an N x 3 array, whatever its index order.
bool valueAt(const giiDataArray& array, long long row, int column, double& value) {
    const long long rows = array.dims[0];
    const long long index = array.ind_ord == GIFTI_IND_ORD_COL_MAJOR ? column * rows + row : row * 3 + column;
    switch (array.datatype) {
        case NIFTI_TYPE_FLOAT32: value = rawValue<float>(array.data, index); return true;
        case NIFTI_TYPE_FLOAT64: value = rawValue<double>(array.data, index); return true;
        case NIFTI_TYPE_INT8: value = rawValue<std::int8_t>(array.data, index); return true;
        case NIFTI_TYPE_UINT8: value = rawValue<std::uint8_t>(array.data, index); return true;
        case NIFTI_TYPE_INT16: value = rawValue<std::int16_t>(array.data, index); return true;
        case NIFTI_TYPE_UINT16: value = rawValue<std::uint16_t>(array.data, index); return true;
        case NIFTI_TYPE_INT32: value = rawValue<std::int32_t>(array.data, index); return true;
        case NIFTI_TYPE_UINT32: value = rawValue<std::uint32_t>(array.data, index); return true;
        case NIFTI_TYPE_INT64: value = rawValue<std::int64_t>(array.data, index); return true;
        case NIFTI_TYPE_UINT64: value = rawValue<std::uint64_t>(array.data, index); return true;
        default: return false;
    }
}

const giiDataArray& findArray(gifti_image& image, int intent, const char* what, const std::string& path) {
    giiDataArray* array = gifti_find_DA(&image, intent, 0);
    if (array == nullptr) throw badInput(path + ": no " + what + " array in the GIFTI file");
    if (array->data == nullptr) throw badInput(path + ": the " + what + " array holds no data");
    if (array->num_dim != 2 || array->dims[1] != 3) {
        throw badInput(path + ": the " + what + " array must be N x 3 (three values per row)");
    }
    return *array;
}

// The library's diagnostics that say nothing about the data read: nibabel
// writes a coordinate system into every array, also the TRIANGLE one.
bool isHarmlessDiagnostic(const std::string& line) { return line.find("] has coordsys with intent ") != std::string::npos; }

// What the library printed, without its harmless notes, as one line.
std::string libraryDiagnostics(const std::string& printed) {
    std::istringstream lines(printed);
    std::string joined;
    for (std::string line; std::getline(lines, line);) {
        if (isHarmlessDiagnostic(line)) continue;
        const std::size_t start = line.find_first_not_of("* \t");
        if (start == std::string::npos) continue;
        if (!joined.empty()) joined += "; ";
        joined += line.substr(start);
    }
    return joined;
}

// Runs read in folder and comes back, however read ends: the library opens
// external data files relative to the working folder.
template <typename Read>
void inFolder(const std::string& folder, Read read) {
    const int previous = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (previous < 0 || chdir(folder.c_str()) != 0) {
        if (previous >= 0) close(previous);
        throw badInput(folder + ": cannot enter the folder of the GIFTI file to read its external data");
    }
    struct Return {
        int folder;
        ~Return() {
            if (fchdir(folder) != 0) std::perror("zevkalon: cannot return to the working folder");
            close(folder);
        }
    } back{previous};
    read();
}

MetaPairs metaPairs(const giiMetaData& meta) {
    MetaPairs pairs;
    for (int i = 0; i < meta.length; ++i) {
        if (meta.name[i] != nullptr) pairs.emplace_back(meta.name[i], meta.value[i] != nullptr ? meta.value[i] : "");
    }
    return pairs;
}

// The file as the GIFTI library reads it, after the structure check.
SurfaceFile readWithLibrary(const std::string& path, const GiftiStructure& structure) {
    // The library's diagnostics are caught and added to our message.
    gifti_set_verb(1);
    std::unique_ptr<gifti_image, GiftiDeleter> image;
    const auto read = [&](const std::string& name) {
        return captureStderr([&] { image.reset(gifti_read_image(name.c_str(), 1)); });
    };
    std::string printed;
    const std::size_t slash = path.rfind('/');
    if (structure.relativeExternalFiles && slash != std::string::npos) {
        inFolder(slash == 0 ? "/" : path.substr(0, slash), [&] { printed = read(path.substr(slash + 1)); });
    } else {
        printed = read(path);
    }
    // The library goes on after a decoding failure (bad base64, failed
    // decompression, a short external file) and fills the gap with zeros:
    // whatever it reports is a refusal.
    const std::string detail = libraryDiagnostics(printed);
    if (!image || !detail.empty()) {
        throw badInput(path + ": not a readable GIFTI file" + (detail.empty() ? "" : ": the GIFTI library reports: " + detail));
    }

    const giiDataArray& points = findArray(*image, NIFTI_INTENT_POINTSET, "POINTSET", path);
    const giiDataArray& triangles = findArray(*image, NIFTI_INTENT_TRIANGLE, "TRIANGLE", path);
    if (points.datatype != NIFTI_TYPE_FLOAT32 && points.datatype != NIFTI_TYPE_FLOAT64) {
        throw badInput(path + ": the POINTSET array must hold float coordinates");
    }
    if (triangles.datatype == NIFTI_TYPE_FLOAT32 || triangles.datatype == NIFTI_TYPE_FLOAT64) {
        throw badInput(path + ": the TRIANGLE array must hold integer vertex indices");
    }
    SurfaceFile surface;
    surface.positions.resize(static_cast<std::size_t>(points.dims[0]) * 3);
    for (long long row = 0; row < points.dims[0]; ++row) {
        for (int c = 0; c < 3; ++c) valueAt(points, row, c, surface.positions[static_cast<std::size_t>(row * 3 + c)]);
    }
    surface.triangles.resize(static_cast<std::size_t>(triangles.dims[0]) * 3);
    for (long long row = 0; row < triangles.dims[0]; ++row) {
        for (int c = 0; c < 3; ++c) {
            double value = 0.0;
            if (!valueAt(triangles, row, c, value)) {
                throw badInput(path + ": the TRIANGLE array must hold integer vertex indices");
            }
            // Out-of-range indices are left for validateSurface to report;
            // clamping here keeps them out of range without overflow.
            if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
            if (value < -1) value = -1;
            surface.triangles[static_cast<std::size_t>(row * 3 + c)] = static_cast<std::int32_t>(value);
        }
    }
    applyGiftiMetadata(metaPairs(points.meta), metaPairs(image->meta), surface, path);
    return surface;
}

void checkReadable(const std::string& path) {
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) throw badInput(path + ": is a folder, not a surface file");
    if (!std::ifstream(path, std::ios::binary)) throw badInput(cannotOpen(path, "surface file"));
}

}  // namespace

SurfaceFile readGiftiSurface(const std::string& path) {
    checkReadable(path);
    // Common files are decoded in the structure check's pass; the rest go
    // to the library as before.
    GiftiDirectReader direct;
    const GiftiStructure structure = checkGiftiStructure(path, &direct);
    if (direct.decoded()) return direct.takeSurface(path);
    return readWithLibrary(path, structure);
}

SurfaceFile readGiftiSurfaceWithLibrary(const std::string& path) {
    checkReadable(path);
    return readWithLibrary(path, checkGiftiStructure(path));
}

#else

bool canUseGifti() { return false; }

SurfaceFile readGiftiSurface(const std::string& path) {
    throw badInput(path + ": this build of zevkalon reads no GIFTI files (built without the GIFTI library)");
}

SurfaceFile readGiftiSurfaceWithLibrary(const std::string& path) { return readGiftiSurface(path); }

#endif

}  // namespace zevkalon

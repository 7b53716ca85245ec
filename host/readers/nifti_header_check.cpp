#include "host/readers/nifti_header_check.h"

#if defined(TESSARIN_HAVE_NIFTI)

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <sys/stat.h>

#include "host/host_error.h"
#include "host/readers/file_names.h"

namespace zevkalon {
namespace {

struct GzFileCloser {
    void operator()(gzFile_s* file) const { gzclose(file); }
};

template <typename T>
T headerValue(const unsigned char* bytes, bool swapped) {
    unsigned char copy[sizeof(T)];
    std::memcpy(copy, bytes, sizeof(T));
    if (swapped) std::reverse(copy, copy + sizeof(T));
    T value;
    std::memcpy(&value, copy, sizeof(T));
    return value;
}

bool startsWithGzipMagic(const std::string& path) {
    unsigned char magic[2] = {0, 0};
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    return file && std::fread(magic, 1, 2, file.get()) == 2 && magic[0] == 0x1f && magic[1] == 0x8b;
}

// The magic string as it can be shown in a message.
std::string shown(const unsigned char* bytes) {
    std::string text;
    for (int i = 0; i < 4 && bytes[i] != 0; ++i) {
        if (bytes[i] >= 0x20 && bytes[i] < 0x7f) {
            text += static_cast<char>(bytes[i]);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", bytes[i]);
            text += escaped;
        }
    }
    return text;
}

struct RawHeader {
    bool nifti2 = false;
    std::string magic;  // the first three characters: "n+1", "ni1", "n+2", "ni2" or something else
    std::string shownMagic;
    std::array<std::int64_t, 8> dim{};
    double voxOffset = 0.0;
    int qformCode = 0, sformCode = 0;
};

RawHeader readRawHeader(const std::string& path) {
    const std::string unreadable = path + ": not a readable NIfTI-1 or NIfTI-2 volume: ";
    std::unique_ptr<gzFile_s, GzFileCloser> file(gzopen(path.c_str(), "rb"));
    unsigned char header[540] = {};
    const int length = file ? gzread(file.get(), header, sizeof header) : -1;
    if (length < 348) throw badInput(unreadable + "the file is too short for a header");
    RawHeader raw;
    const std::int32_t size = headerValue<std::int32_t>(header, false);
    const std::int32_t swappedSize = headerValue<std::int32_t>(header, true);
    if (size == 348 || swappedSize == 348) {
        const bool swapped = size != 348;
        for (int d = 0; d < 8; ++d) raw.dim[d] = headerValue<std::int16_t>(header + 40 + 2 * d, swapped);
        raw.voxOffset = headerValue<float>(header + 108, swapped);
        raw.qformCode = headerValue<std::int16_t>(header + 252, swapped);
        raw.sformCode = headerValue<std::int16_t>(header + 254, swapped);
        raw.magic.assign(reinterpret_cast<const char*>(header + 344), 3);
        raw.shownMagic = shown(header + 344);
    } else if ((size == 540 || swappedSize == 540) && length == 540) {
        const bool swapped = size != 540;
        raw.nifti2 = true;
        for (int d = 0; d < 8; ++d) raw.dim[d] = headerValue<std::int64_t>(header + 16 + 8 * d, swapped);
        raw.voxOffset = static_cast<double>(headerValue<std::int64_t>(header + 168, swapped));
        raw.qformCode = headerValue<std::int32_t>(header + 344, swapped);
        raw.sformCode = headerValue<std::int32_t>(header + 348, swapped);
        raw.magic.assign(reinterpret_cast<const char*>(header + 4), 3);
        raw.shownMagic = shown(header + 4);
    } else {
        throw badInput(unreadable + "unknown header size");
    }
    return raw;
}

void checkMagic(const RawHeader& raw, const std::string& path) {
    const std::string version = raw.nifti2 ? "2" : "1";
    if (raw.magic == "n+" + version) return;
    const bool pairName = endsWithNoCase(path, ".hdr") || endsWithNoCase(path, ".hdr.gz");
    if (raw.magic == "ni" + version) {
        if (pairName) return;
        throw badInput(path + ": the magic string \"ni" + version +
                       "\" marks the header of a .hdr/.img pair, whose data lie in the .img file, but this file "
                       "is not named .hdr; give the pair's .hdr file");
    }
    if (!raw.nifti2 && raw.shownMagic.empty()) {
        throw badInput(path + ": an Analyze 7.5 header (no NIfTI magic string): it has no voxel-to-world "
                              "transform, so the surface cannot be placed on its voxels; convert it to NIfTI with "
                              "the transform of its space set (e.g. with nibabel: nib.save(nib.Nifti1Image("
                              "np.asanyarray(img.dataobj), affine), \"labels.nii.gz\"))");
    }
    throw badInput(path + ": not a NIfTI-" + version + " file: its magic string is \"" + raw.shownMagic +
                   "\", where NIfTI-" + version + " has \"n+" + version + "\" (a single file) or \"ni" + version +
                   "\" (the .hdr of a pair); the header is damaged or of another format");
}

// The NIfTI library turns sizes below 1 (and a missing dim[0]) into 1, which
// would read a broken header as a different, valid volume.
void checkDimensions(const RawHeader& raw, const std::string& path) {
    const std::array<std::int64_t, 8>& dim = raw.dim;
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

// The library moves a single file's data offset that lies inside the header
// to the header's end, so the labels would be read shifted.
void checkVoxelOffset(const RawHeader& raw, const std::string& path) {
    if (raw.magic[1] != '+') return;  // a pair's data start anywhere in the .img
    const double first = raw.nifti2 ? 544.0 : 352.0;
    if (raw.voxOffset >= first) return;
    std::ostringstream message;
    message << path << ": not a readable NIfTI-" << (raw.nifti2 ? 2 : 1) << " volume: its vox_offset " << raw.voxOffset
            << " lies inside the header (a single file keeps its voxel data at byte " << first
            << " or later); the file is damaged or was written wrongly";
    throw badInput(message.str());
}

void checkTransform(const RawHeader& raw, const std::string& path) {
    if (raw.sformCode > 0 || raw.qformCode > 0) return;
    throw badInput(path + ": neither an sform nor a qform is set (sform_code " + std::to_string(raw.sformCode) +
                   ", qform_code " + std::to_string(raw.qformCode) +
                   "), so the voxels have no place in world (mm) space and the surface cannot be placed on them; "
                   "set the transform of the volume's space, e.g. with nibabel (img.set_sform(affine, code=1), "
                   "then save) or with FSL (fslorient -setsform ... FILE, then fslorient -setsformcode 1 FILE)");
}

}  // namespace

void checkNiftiHeader(const std::string& path) {
    if (endsWithNoCase(path, ".img") || endsWithNoCase(path, ".img.gz")) {
        const std::size_t cut = path.size() - (endsWithNoCase(path, ".gz") ? 7 : 4);
        throw badInput(path + ": this is the image half of a .hdr/.img pair, which holds only the voxel data; give "
                              "its header, " + path.substr(0, cut) + ".hdr" + (endsWithNoCase(path, ".gz") ? ".gz" : "") +
                       ", instead");
    }
    if (!endsWithNoCase(path, ".gz") && startsWithGzipMagic(path)) {
        throw badInput(path + ": the file holds gzip-compressed data, but its name does not end in .gz; rename it to " +
                       path + ".gz (e.g. labels.nii.gz), and give that name");
    }
    const RawHeader raw = readRawHeader(path);
    checkMagic(raw, path);
    checkDimensions(raw, path);
    checkVoxelOffset(raw, path);
    checkTransform(raw, path);
}

void checkDataFits(const std::string& path, const std::string& dataPath, std::int64_t offset, std::int64_t bytes) {
    struct stat info {};
    if (stat(dataPath.c_str(), &info) != 0) throw badInput(path + ": cannot open the voxel data file " + dataPath);
    const std::int64_t size = info.st_size;
    // Deflate codes at most 258 bytes in about two bits, so one compressed
    // byte never yields more than 1032 bytes (zlib's documented limit).
    constexpr std::int64_t kMostPerCompressedByte = 1032;
    const bool compressed = startsWithGzipMagic(dataPath);
    const std::int64_t capacity = compressed ? size * kMostPerCompressedByte : size;
    if (offset + bytes <= capacity) return;
    std::ostringstream message;
    message << path << ": not a readable NIfTI-1 or NIfTI-2 volume: the file ends early: the header declares "
            << bytes << " bytes of voxel data from byte " << offset << ", but ";
    if (compressed) {
        message << "its " << size << " compressed bytes can hold at most " << capacity;
    } else {
        message << (dataPath == path ? "the file" : dataPath) << " has only " << size << " bytes";
    }
    throw badInput(message.str());
}

}  // namespace zevkalon

#endif  // TESSARIN_HAVE_NIFTI

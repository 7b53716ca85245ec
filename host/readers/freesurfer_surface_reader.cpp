#include "host/readers/freesurfer_surface_reader.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <type_traits>

#include "host/host_error.h"
#include "host/readers/big_endian.h"
#include "host/readers/open_failure.h"
#include "host/readers/text_words.h"

namespace zevkalon {

namespace {

constexpr unsigned char kTriangleMagic[3] = {0xFF, 0xFF, 0xFE};
// The quadrangle formats (old and new) that FreeSurfer also reads.
constexpr unsigned char kQuadMagicLast[2] = {0xFF, 0xFD};
// Footer tags: "useRealRAS" with its value, then the volume geometry as text.
constexpr std::int32_t kTagUseRealRas = 2;
constexpr std::int32_t kTagVolumeGeometry = 20;

// The bytes of the file, and a read position that never runs past them.
class Bytes {
public:
    explicit Bytes(std::string data) : data_(std::move(data)) {}
    std::size_t left() const { return data_.size() - at_; }
    const unsigned char* take(std::size_t count) {
        const unsigned char* start = reinterpret_cast<const unsigned char*>(data_.data()) + at_;
        at_ += count;
        return start;
    }
    std::int32_t int32() { return bigEndianI32(take(4)); }
    // The text up to the next line feed, which is consumed; false at the end.
    bool line(std::string& text) {
        const std::size_t end = data_.find('\n', at_);
        if (end == std::string::npos) return false;
        text = data_.substr(at_, end - at_);
        at_ = end + 1;
        return true;
    }

private:
    std::string data_;
    std::size_t at_ = 0;
};

HostError footerProblem(const std::string& path, const std::string& problem) {
    return badInput(path + ": damaged volume geometry at the end of the FreeSurfer surface: " + problem);
}

// The value of one "key = value" line of the geometry text.
std::string footerValue(Bytes& bytes, const char* key, const std::string& path) {
    std::string line;
    if (!bytes.line(line)) throw footerProblem(path, std::string("the line \"") + key + " = ...\" is missing");
    const std::size_t equals = line.find('=');
    const std::vector<std::string> name = contentWords(line.substr(0, equals == std::string::npos ? 0 : equals));
    if (equals == std::string::npos || name.size() != 1 || name[0] != key) {
        throw footerProblem(path, std::string("expected \"") + key + " = ...\", found \"" + line + "\"");
    }
    return line.substr(equals + 1);
}

template <typename Number>
std::array<Number, 3> footerTriple(Bytes& bytes, const char* key, const std::string& path) {
    const std::vector<std::string> words = contentWords(footerValue(bytes, key, path));
    std::array<Number, 3> values{};
    bool good = words.size() == 3;
    for (std::size_t i = 0; good && i < 3; ++i) {
        if constexpr (std::is_integral_v<Number>) {
            long long whole = 0;
            good = parseWholeNumber(words[i], whole) && whole >= 0 && whole <= 0x7fffffff;
            values[i] = static_cast<Number>(whole);
        } else {
            good = parseRealNumber(words[i], values[i]);
        }
    }
    if (!good) throw footerProblem(path, std::string("\"") + key + "\" needs three numbers");
    return values;
}

// Reads the geometry text that follows its tag, and sets the space from it.
void readGeometry(Bytes& bytes, SurfaceFile& surface, const std::string& path) {
    // "valid = 1  # volume info valid": the comment is part of the line.
    long long valid = 0;
    const std::vector<std::string> validWords = contentWords(footerValue(bytes, "valid", path));
    if (validWords.empty() || !parseWholeNumber(validWords[0], valid)) {
        throw footerProblem(path, "\"valid\" needs a number");
    }
    footerValue(bytes, "filename", path);
    VolumeGeometry geometry;
    geometry.dims = footerTriple<std::int32_t>(bytes, "volume", path);
    geometry.voxelSize = footerTriple<double>(bytes, "voxelsize", path);
    geometry.xras = footerTriple<double>(bytes, "xras", path);
    geometry.yras = footerTriple<double>(bytes, "yras", path);
    geometry.zras = footerTriple<double>(bytes, "zras", path);
    geometry.cras = footerTriple<double>(bytes, "cras", path);
    if (surface.space == CoordinateSpace::Scanner) return;
    if (valid == 0) {
        surface.space = CoordinateSpace::TkregisterUnknown;
        surface.spaceDetail = "its volume geometry is marked invalid";
        return;
    }
    const std::string problem = geometryProblem(geometry);
    if (!problem.empty()) throw footerProblem(path, problem);
    surface.space = CoordinateSpace::Tkregister;
    surface.geometry = geometry;
    surface.spaceDetail.clear();
}

void readFooter(Bytes& bytes, SurfaceFile& surface, const std::string& path) {
    surface.space = CoordinateSpace::TkregisterUnknown;
    surface.spaceDetail = "it has no volume geometry";
    if (bytes.left() == 0) return;
    const auto next = [&bytes] { return bytes.left() >= 4 ? bytes.int32() : -1; };
    std::int32_t tag = next();
    if (tag == kTagUseRealRas) {
        if (next() > 0) surface.space = CoordinateSpace::Scanner;
        if (bytes.left() == 0) return;
        tag = next();
    }
    if (tag == kTagVolumeGeometry) {
        // FreeSurfer may add further tags (command lines); none of them moves a vertex.
        readGeometry(bytes, surface, path);
    } else if (surface.space != CoordinateSpace::Scanner) {
        surface.spaceDetail = "its footer is of an unknown kind";
    }
}

}  // namespace

bool isFreeSurferSurface(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char magic[3] = {};
    return in.read(reinterpret_cast<char*>(magic), 3) && std::equal(magic, magic + 3, kTriangleMagic);
}

SurfaceFile readFreeSurferSurface(const std::string& path) {
    if (std::error_code ignored; std::filesystem::is_directory(path, ignored)) throw badInput(path + ": is a folder, not a surface file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw badInput(cannotOpen(path, "surface file"));
    Bytes bytes(std::string(std::istreambuf_iterator<char>(in), {}));
    if (in.bad()) throw badInput(path + ": cannot read the surface file");

    if (bytes.left() < 3) throw badInput(path + ": not a FreeSurfer surface: the file is too short");
    const unsigned char* magic = bytes.take(3);
    if (magic[0] == 0xFF && magic[1] == 0xFF && (magic[2] == kQuadMagicLast[0] || magic[2] == kQuadMagicLast[1])) {
        throw badInput(path + ": a FreeSurfer quadrangle surface; convert it to a triangle surface "
                              "(e.g. mris_convert) first");
    }
    if (!std::equal(magic, magic + 3, kTriangleMagic)) {
        throw badInput(path + ": not a FreeSurfer triangle surface (wrong magic number)");
    }
    std::string stamp;
    if (!bytes.line(stamp) || !bytes.line(stamp)) {
        throw badInput(path + ": damaged FreeSurfer surface: the creation line does not end");
    }
    if (bytes.left() < 8) throw badInput(path + ": damaged FreeSurfer surface: the file ends before the counts");
    const std::int64_t vertices = bytes.int32();
    const std::int64_t triangles = bytes.int32();
    if (vertices < 0 || triangles < 0) {
        throw badInput(path + ": damaged FreeSurfer surface: it declares " + std::to_string(vertices) +
                       " vertices and " + std::to_string(triangles) + " triangles");
    }
    // Checked before anything is allocated: the counts come from the file.
    const std::uint64_t needed = static_cast<std::uint64_t>(vertices + triangles) * 12u;
    if (needed > bytes.left()) {
        std::ostringstream message;
        message << path << ": damaged FreeSurfer surface: the file ends early: it declares " << vertices
                << " vertices and " << triangles << " triangles (" << needed << " bytes), but only "
                << bytes.left() << " bytes follow";
        throw badInput(message.str());
    }
    SurfaceFile surface;
    surface.positions.resize(static_cast<std::size_t>(vertices) * 3);
    for (double& coordinate : surface.positions) coordinate = bigEndianF32(bytes.take(4));
    surface.triangles.resize(static_cast<std::size_t>(triangles) * 3);
    for (std::int32_t& index : surface.triangles) index = bytes.int32();
    readFooter(bytes, surface, path);
    return surface;
}

}  // namespace zevkalon

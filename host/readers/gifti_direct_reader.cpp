#include "host/readers/gifti_direct_reader.h"

#if defined(TESSARIN_HAVE_GIFTI)

#include <zlib.h>

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/readers/base64_decoder.h"
#include "host/readers/gifti_volume_geometry.h"

namespace zevkalon {

namespace {

const char* attribute(const char** attributes, const char* name) {
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
    }
    return nullptr;
}

bool is(const char* text, const char* expected) { return text != nullptr && std::strcmp(text, expected) == 0; }

// Only the attributes in names, each at most once (expat refuses repeats).
bool onlyAttributes(const char** attributes, std::initializer_list<const char*> names) {
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        bool known = false;
        for (const char* name : names) known = known || std::strcmp(attributes[i], name) == 0;
        if (!known) return false;
    }
    return true;
}

// A count written plainly ("372866"; no sign, blank or leading zero), or -1.
long long plainCount(const char* text) {
    if (text == nullptr || *text == '\0' || (*text == '0' && text[1] != '\0')) return -1;
    long long value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > (1LL << 40)) return -1;
        value = value * 10 + (*c - '0');
    }
    return value;
}

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The elements whose text means something; the library refuses any other
// text than white space elsewhere.
bool holdsText(const char* element) {
    for (const char* name : {"Data", "Name", "Value", "DataSpace", "TransformedSpace", "MatrixData", "Label"}) {
        if (std::strcmp(element, name) == 0) return true;
    }
    return false;
}

bool littleEndianHost() {
    const std::uint16_t one = 1;
    unsigned char first = 0;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

enum class ValueType { Float32, Float64, Int32, UInt32 };

// One DataArray's values: decoded bytes in, converted values out.
struct ArrayValues {
    ValueType type = ValueType::Float32;
    bool swap = false;
    long long expected = 0;                    // values declared
    long long received = 0;
    std::vector<double>* points = nullptr;     // where the values go; both null:
    std::vector<std::int32_t>* indices = nullptr;  // checked and dropped (a later array)
    unsigned char partial[8] = {};
    int partialBytes = 0;

    int size() const { return type == ValueType::Float64 ? 8 : 4; }

    template <typename T, bool Swap>
    static T load(const unsigned char* bytes) {
        T value;
        if constexpr (Swap) {
            unsigned char ordered[sizeof(T)];
            for (std::size_t b = 0; b < sizeof(T); ++b) ordered[b] = bytes[sizeof(T) - 1 - b];
            std::memcpy(&value, ordered, sizeof(T));
        } else {
            std::memcpy(&value, bytes, sizeof(T));
        }
        return value;
    }

    template <typename T, bool Swap>
    void appendPoints(const unsigned char* bytes, std::size_t count) {
        if (points == nullptr) return;
        const std::size_t old = points->size();
        points->resize(old + count);  // within the reserved size
        double* out = points->data() + old;
        for (std::size_t v = 0; v < count; ++v) out[v] = static_cast<double>(load<T, Swap>(bytes + v * sizeof(T)));
    }

    template <typename T, bool Swap>
    void appendIndices(const unsigned char* bytes, std::size_t count) {
        if (indices == nullptr) return;
        const std::size_t old = indices->size();
        indices->resize(old + count);
        std::int32_t* out = indices->data() + old;
        for (std::size_t v = 0; v < count; ++v) {
            // As the library path converts them: through double,
            // out-of-range indices clamped for validateSurface to report.
            double value = static_cast<double>(load<T, Swap>(bytes + v * sizeof(T)));
            if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
            if (value < -1) value = -1;
            out[v] = static_cast<std::int32_t>(value);
        }
    }

    template <bool Swap>
    void convert(const unsigned char* bytes, std::size_t count) {
        switch (type) {
            case ValueType::Float32: return appendPoints<float, Swap>(bytes, count);
            case ValueType::Float64: return appendPoints<double, Swap>(bytes, count);
            case ValueType::Int32: return appendIndices<std::int32_t, Swap>(bytes, count);
            case ValueType::UInt32: return appendIndices<std::uint32_t, Swap>(bytes, count);
        }
    }

    void convert(const unsigned char* bytes, std::size_t count) {
        if (swap) {
            convert<true>(bytes, count);
        } else {
            convert<false>(bytes, count);
        }
    }

    // False when the bytes hold more values than declared.
    bool take(const unsigned char* bytes, std::size_t length) {
        const int width = size();
        std::size_t at = 0;
        if (partialBytes > 0) {
            while (partialBytes < width && at < length) partial[partialBytes++] = bytes[at++];
            if (partialBytes < width) return true;
            if (++received > expected) return false;
            convert(partial, 1);
            partialBytes = 0;
        }
        const std::size_t whole = (length - at) / static_cast<std::size_t>(width);
        if (received + static_cast<long long>(whole) > expected) return false;
        convert(bytes + at, whole);
        at += whole * static_cast<std::size_t>(width);
        received += static_cast<long long>(whole);
        while (at < length) partial[partialBytes++] = bytes[at++];
        return true;
    }

    bool complete() const { return received == expected && partialBytes == 0; }
};

// zlib's inflate over the decoded bytes of a GZipBase64Binary array: the
// library uncompresses them with zlib's uncompress, which wants the zlib
// wrapper, all of the declared bytes and not one more.
class Inflater {
public:
    Inflater() {
        if (inflateInit(&stream_) != Z_OK) throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // False on corrupt data, on bytes after the end of the stream, and when
    // out refuses what comes out.
    bool feed(const unsigned char* bytes, std::size_t length, ArrayValues& out) {
        if (ended_) return length == 0;
        stream_.next_in = const_cast<unsigned char*>(bytes);
        stream_.avail_in = static_cast<uInt>(length);
        do {
            stream_.next_out = staging_;
            stream_.avail_out = sizeof staging_;
            const int result = inflate(&stream_, Z_NO_FLUSH);
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return false;
            if (!out.take(staging_, sizeof staging_ - stream_.avail_out)) return false;
            if (result == Z_STREAM_END) {
                ended_ = true;
                return stream_.avail_in == 0;
            }
        } while (stream_.avail_out == 0);
        return true;
    }

    bool ended() const { return ended_; }

private:
    z_stream stream_{};
    bool ended_ = false;
    unsigned char staging_[1 << 16];
};

}  // namespace

struct GiftiDirectReader::State {
    bool undecided = false;
    std::vector<bool> textAllowed;  // per open element
    long long declaredArrays = -1;
    long long arrays = 0;
    SurfaceFile surface;
    bool havePoints = false, haveTriangles = false;
    MetaPairs fileMeta, arrayMeta, pointsMeta;
    int fileMetaData = 0, arrayMetaData = 0;
    bool inArray = false;
    // The MD being read.
    std::string name, value;
    int names = 0, values = 0;
    std::string* capture = nullptr;
    // The DataArray being read.
    bool isPoints = false;
    bool gzip = false;
    bool inData = false;
    ArrayValues arrayData;
    Base64Decoder base64;
    std::unique_ptr<Inflater> inflater;

    void giveUp() {
        undecided = true;
        inflater.reset();
        capture = nullptr;
    }

    void startArray(const char** attributes) {
        ++arrays;
        inArray = true;
        arrayMeta.clear();
        arrayMetaData = 0;
        arrayData = ArrayValues();
        if (undecided) return;
        const char* intent = attribute(attributes, "Intent");
        const char* type = attribute(attributes, "DataType");
        const char* order = attribute(attributes, "ArrayIndexingOrder");
        const char* encoding = attribute(attributes, "Encoding");
        const char* endian = attribute(attributes, "Endian");
        const char* externalName = attribute(attributes, "ExternalFileName");
        const char* externalOffset = attribute(attributes, "ExternalFileOffset");
        const long long rows = plainCount(attribute(attributes, "Dim0"));
        isPoints = is(intent, "NIFTI_INTENT_POINTSET");
        const bool isTriangles = is(intent, "NIFTI_INTENT_TRIANGLE");
        ArrayValues& array = arrayData;
        if (is(type, "NIFTI_TYPE_FLOAT32") && isPoints) {
            array.type = ValueType::Float32;
        } else if (is(type, "NIFTI_TYPE_FLOAT64") && isPoints) {
            array.type = ValueType::Float64;
        } else if (is(type, "NIFTI_TYPE_INT32") && isTriangles) {
            array.type = ValueType::Int32;
        } else if (is(type, "NIFTI_TYPE_UINT32") && isTriangles) {
            array.type = ValueType::UInt32;
        } else {
            return giveUp();
        }
        const bool known = onlyAttributes(attributes, {"Intent", "DataType", "ArrayIndexingOrder", "Dimensionality",
                                                       "Dim0", "Dim1", "Encoding", "Endian", "ExternalFileName",
                                                       "ExternalFileOffset"});
        const bool plain = is(order, "RowMajorOrder") && is(attribute(attributes, "Dimensionality"), "2") &&
                           is(attribute(attributes, "Dim1"), "3") && rows > 0 &&
                           (externalName == nullptr || *externalName == '\0') &&
                           (externalOffset == nullptr || is(externalOffset, "") || is(externalOffset, "0"));
        const bool little = is(endian, "LittleEndian");
        gzip = is(encoding, "GZipBase64Binary");
        if (!known || !plain || (!little && !is(endian, "BigEndian")) || (!gzip && !is(encoding, "Base64Binary"))) {
            return giveUp();
        }
        array.swap = little != littleEndianHost();
        array.expected = rows * 3;
        // The first array of each kind is the surface's; later ones are only checked.
        try {
            if (isPoints && !havePoints) {
                surface.positions.reserve(static_cast<std::size_t>(array.expected));
                array.points = &surface.positions;
            } else if (isTriangles && !haveTriangles) {
                surface.triangles.reserve(static_cast<std::size_t>(array.expected));
                array.indices = &surface.triangles;
            }
        } catch (const std::bad_alloc&) {
            // The library, which would need the same memory, says what it makes of that.
            return giveUp();
        } catch (const std::length_error&) {
            return giveUp();
        }
        base64 = Base64Decoder();
        if (gzip) inflater = std::make_unique<Inflater>();
    }

    void decode(const char* text, int length) {
        const bool read = base64.decode(text, static_cast<std::size_t>(length), [&](const unsigned char* bytes, std::size_t n) {
            if (undecided) return;
            if (!(gzip ? inflater->feed(bytes, n, arrayData) : arrayData.take(bytes, n))) giveUp();
        });
        if (!read) giveUp();
    }

    void endData() {
        inData = false;
        if (undecided) return;
        if (!base64.complete() || (gzip && !inflater->ended()) || !arrayData.complete()) return giveUp();
        inflater.reset();
        if (arrayData.points != nullptr) havePoints = true;
        if (arrayData.indices != nullptr) haveTriangles = true;
    }

    void endArray() {
        inArray = false;
        if (!undecided && arrayData.points != nullptr) pointsMeta = arrayMeta;
    }

    void endMetaDataEntry() {
        capture = nullptr;
        // The library keeps the last of several names or values; such files
        // are left to it.
        if (names > 1 || values > 1) return giveUp();
        if (names == 1) (inArray ? arrayMeta : fileMeta).emplace_back(name, value);
    }
};

GiftiDirectReader::GiftiDirectReader() : state_(std::make_unique<State>()) {}
GiftiDirectReader::~GiftiDirectReader() = default;

void GiftiDirectReader::elementStarted(const char* name, const char** attributes) {
    State& state = *state_;
    state.textAllowed.push_back(holdsText(name));
    if (std::strcmp(name, "Data") == 0) {
        state.inData = true;
    } else if (std::strcmp(name, "DataArray") == 0) {
        state.startArray(attributes);
    } else if (std::strcmp(name, "MD") == 0) {
        state.name.clear(), state.value.clear();
        state.names = state.values = 0;
    } else if (std::strcmp(name, "Name") == 0) {
        ++state.names;
        state.name.clear();
        state.capture = &state.name;
    } else if (std::strcmp(name, "Value") == 0) {
        ++state.values;
        state.value.clear();
        state.capture = &state.value;
    } else if (std::strcmp(name, "MetaData") == 0) {
        // The library refuses a second metadata block.
        if (++(state.inArray ? state.arrayMetaData : state.fileMetaData) > 1) state.giveUp();
    } else if (std::strcmp(name, "GIFTI") == 0) {
        const char* version = attribute(attributes, "Version");
        state.declaredArrays = plainCount(attribute(attributes, "NumberOfDataArrays"));
        if (!onlyAttributes(attributes, {"Version", "NumberOfDataArrays", "xmlns:xsi", "xsi:noNamespaceSchemaLocation"}) ||
            !(is(version, "1") || is(version, "1.0"))) {
            state.giveUp();
        }
    } else if (std::strcmp(name, "Label") == 0) {
        state.giveUp();
    }
    // The coordinate systems and the label table's element mean nothing to a surface.
}

void GiftiDirectReader::elementEnded(const char* name) {
    State& state = *state_;
    if (!state.textAllowed.empty()) state.textAllowed.pop_back();
    if (std::strcmp(name, "Data") == 0) {
        state.endData();
    } else if (std::strcmp(name, "DataArray") == 0) {
        state.endArray();
    } else if (std::strcmp(name, "Name") == 0 || std::strcmp(name, "Value") == 0) {
        state.capture = nullptr;
    } else if (std::strcmp(name, "MD") == 0) {
        state.endMetaDataEntry();
    }
}

void GiftiDirectReader::text(const char* text, int length) {
    State& state = *state_;
    if (state.undecided) return;
    if (state.inData) {
        state.decode(text, length);
    } else if (state.capture != nullptr) {
        state.capture->append(text, static_cast<std::size_t>(length));
    } else if (state.textAllowed.empty() || !state.textAllowed.back()) {
        for (int i = 0; i < length; ++i) {
            if (!isSpace(text[i])) return state.giveUp();
        }
    }
}

bool GiftiDirectReader::decoded() const {
    const State& state = *state_;
    return !state.undecided && state.declaredArrays == state.arrays && state.havePoints && state.haveTriangles;
}

SurfaceFile GiftiDirectReader::takeSurface(const std::string& path) {
    State& state = *state_;
    SurfaceFile surface = std::move(state.surface);
    applyGiftiMetadata(state.pointsMeta, state.fileMeta, surface, path);
    return surface;
}

}  // namespace zevkalon

#endif  // TESSARIN_HAVE_GIFTI

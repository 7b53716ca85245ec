#include "host/readers/gifti_structure_check.h"

#if defined(TESSARIN_HAVE_GIFTI)

#include <expat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "host/host_error.h"
#include "host/readers/open_failure.h"

namespace zevkalon {
namespace {

// Where each GIFTI element may stand: element -> its one allowed parent
// ("" for the root).
const std::map<std::string, std::string>& allowedParents() {
    static const std::map<std::string, std::string> parents = {
        {"GIFTI", ""},
        {"MetaData", "GIFTI"},  // or DataArray, checked separately
        {"MD", "MetaData"},
        {"Name", "MD"},
        {"Value", "MD"},
        {"LabelTable", "GIFTI"},
        {"Label", "LabelTable"},
        {"DataArray", "GIFTI"},
        {"CoordinateSystemTransformMatrix", "DataArray"},
        {"DataSpace", "CoordinateSystemTransformMatrix"},
        {"TransformedSpace", "CoordinateSystemTransformMatrix"},
        {"MatrixData", "CoordinateSystemTransformMatrix"},
        {"Data", "DataArray"},
    };
    return parents;
}

enum class Encoding { Ascii, Base64, GzipBase64, External, Other };

struct ParseState {
    XML_Parser parser = nullptr;
    std::string path;
    std::string error;  // the first problem found; parsing stops there
    std::vector<std::string> open;
    GiftiStructure structure;
    GiftiPassListener* listener = nullptr;
    // The DataArray being read.
    int arrayIndex = -1;
    Encoding encoding = Encoding::Other;
    long long declaredValues = -1;  // -1: unknown, left to the library
    int bytesPerValue = 0;          // 0: a type left to the library
    std::string externalFile;
    long long externalOffset = 0;
    int dataElements = 0;
    // The Data element being read.
    bool inData = false;
    bool inToken = false;
    long long tokens = 0;       // ASCII: the values; base64: the characters other than white space
    long long padding = 0;      // base64: the '=' characters

    void fail(const std::string& problem) {
        if (!error.empty()) return;
        error = path + ": not a readable GIFTI file: line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " + problem;
        XML_StopParser(parser, XML_FALSE);
    }
};

const char* attribute(const XML_Char** attributes, const char* name) {
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
    }
    return nullptr;
}

// The number of values a DataArray declares, or -1 when its dimensions are
// missing or malformed (the library reports those itself).
long long declaredValueCount(const XML_Char** attributes) {
    const char* dimensionality = attribute(attributes, "Dimensionality");
    if (dimensionality == nullptr) return -1;
    char* end = nullptr;
    const long dims = std::strtol(dimensionality, &end, 10);
    if (*end != '\0' || dims < 1 || dims > 6) return -1;
    long long count = 1;
    for (long d = 0; d < dims; ++d) {
        const char* text = attribute(attributes, ("Dim" + std::to_string(d)).c_str());
        if (text == nullptr) return -1;
        const long long size = std::strtoll(text, &end, 10);
        if (*end != '\0' || size < 0 || size > (1LL << 40) || (size > 0 && count > (1LL << 40) / size)) return -1;
        count *= size;
    }
    return count;
}

// Bytes per value of the data types a surface can use; 0 for the others.
int bytesPerValue(const char* datatype) {
    if (datatype == nullptr) return 0;
    static const std::map<std::string, int> sizes = {
        {"NIFTI_TYPE_UINT8", 1},   {"NIFTI_TYPE_INT8", 1},    {"NIFTI_TYPE_INT16", 2},  {"NIFTI_TYPE_UINT16", 2},
        {"NIFTI_TYPE_INT32", 4},   {"NIFTI_TYPE_UINT32", 4},  {"NIFTI_TYPE_FLOAT32", 4}, {"NIFTI_TYPE_INT64", 8},
        {"NIFTI_TYPE_UINT64", 8},  {"NIFTI_TYPE_FLOAT64", 8},
    };
    const auto found = sizes.find(datatype);
    return found == sizes.end() ? 0 : found->second;
}

Encoding encodingOf(const char* name) {
    if (name == nullptr) return Encoding::Other;
    const std::string text = name;
    if (text == "ASCII") return Encoding::Ascii;
    if (text == "Base64Binary") return Encoding::Base64;
    if (text == "GZipBase64Binary") return Encoding::GzipBase64;
    if (text == "ExternalFileBinary") return Encoding::External;
    return Encoding::Other;
}

std::string arrayName(const ParseState& state) { return "DataArray " + std::to_string(state.arrayIndex); }

// Where the library will look for an external data file: as written when
// absolute, else beside the GIFTI file (where other readers look, and where
// Connectome Workbench writes it).
std::string besideGifti(const std::string& giftiPath, const std::string& name) {
    if (!name.empty() && name[0] == '/') return name;
    const std::size_t slash = giftiPath.rfind('/');
    return slash == std::string::npos ? name : giftiPath.substr(0, slash + 1) + name;
}

// What the data of the array just ended must hold, checked before the
// library allocates and decodes it: it fills what is missing with zeros.
void checkDataSize(ParseState& state) {
    if (state.declaredValues < 0) return;
    if (state.encoding == Encoding::Ascii) {
        if (state.tokens != state.declaredValues) {
            state.fail("an ASCII <DataArray> declares " + std::to_string(state.declaredValues) + " values but holds " +
                       std::to_string(state.tokens));
        }
        return;
    }
    if (state.bytesPerValue == 0) return;
    const long long declaredBytes = state.declaredValues * state.bytesPerValue;
    const std::string declared = arrayName(state) + " declares " + std::to_string(state.declaredValues) +
                                 " values (" + std::to_string(declaredBytes) + " bytes)";
    if (state.encoding == Encoding::Base64 || state.encoding == Encoding::GzipBase64) {
        if (state.tokens % 4 != 0) {
            state.fail(arrayName(state) + ": the base64 data are cut short (" + std::to_string(state.tokens) +
                       " characters, not a multiple of 4)");
            return;
        }
        const long long decoded = state.tokens / 4 * 3 - std::min(state.padding, 2LL);
        if (state.encoding == Encoding::Base64 && decoded != declaredBytes) {
            state.fail(declared + " but its base64 data hold " + std::to_string(decoded) + " bytes");
        }
        // Deflate never turns one byte into more than 1032.
        if (state.encoding == Encoding::GzipBase64 && declaredBytes > decoded * 1032) {
            state.fail(declared + ", more than its " + std::to_string(decoded) + " compressed bytes can hold");
        }
    } else if (state.encoding == Encoding::External) {
        const std::string file = besideGifti(state.path, state.externalFile);
        struct stat info {};
        // Only a plain file: the library would wait forever on a pipe.
        if (state.externalFile.empty() || stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            state.fail(arrayName(state) + ": cannot open its external data file \"" + file + "\"");
        } else if (info.st_size < state.externalOffset + declaredBytes) {
            state.fail(declared + " from byte " + std::to_string(state.externalOffset) + " of " + file + ", which has " +
                       std::to_string(static_cast<long long>(info.st_size)) + " bytes");
        }
    }
}

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (!state.error.empty()) return;
    const auto rule = allowedParents().find(name);
    if (rule == allowedParents().end()) {
        state.fail(std::string("<") + name + "> is not a GIFTI element");
        return;
    }
    const std::string parent = state.open.empty() ? "" : state.open.back();
    const bool allowed = parent == rule->second || (rule->first == "MetaData" && parent == "DataArray");
    if (!allowed) {
        state.fail(std::string("<") + name + "> may not stand " +
                   (parent.empty() ? std::string("at the top") : "inside <" + parent + ">"));
        return;
    }
    if (rule->first == "DataArray") {
        ++state.arrayIndex;
        state.encoding = encodingOf(attribute(attributes, "Encoding"));
        state.declaredValues = declaredValueCount(attributes);
        state.bytesPerValue = bytesPerValue(attribute(attributes, "DataType"));
        const char* external = attribute(attributes, "ExternalFileName");
        state.externalFile = external != nullptr ? external : "";
        const char* offset = attribute(attributes, "ExternalFileOffset");
        char* end = nullptr;
        state.externalOffset = offset != nullptr && *offset != '\0' ? std::strtoll(offset, &end, 10) : 0;
        if (state.encoding == Encoding::External) {
            if (state.externalOffset < 0 || (end != nullptr && *end != '\0')) {
                state.fail(arrayName(state) + ": ExternalFileOffset \"" + offset + "\" is not a byte offset");
                return;
            }
            if (!state.externalFile.empty() && state.externalFile[0] != '/') state.structure.relativeExternalFiles = true;
        }
        state.dataElements = 0;
    } else if (rule->first == "Data") {
        if (++state.dataElements > 1) {
            state.fail("a <DataArray> holds more than one <Data>");
            return;
        }
        state.inData = true;
        state.inToken = false;
        state.tokens = 0;
        state.padding = 0;
    }
    state.open.emplace_back(name);
    if (state.listener != nullptr) state.listener->elementStarted(name, attributes);
}

void XMLCALL endElement(void* data, const XML_Char* name) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (!state.error.empty()) return;
    if (std::strcmp(name, "Data") == 0 && state.inData) {
        state.inData = false;
        checkDataSize(state);
        if (!state.error.empty()) return;
    } else if (std::strcmp(name, "DataArray") == 0 && state.dataElements == 0) {
        state.fail("a <DataArray> holds no <Data>");
        return;
    }
    if (!state.open.empty()) state.open.pop_back();
    if (state.listener != nullptr) state.listener->elementEnded(name);
}

// std::isspace of the "C" locale, inline: the data of a surface are megabytes.
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void XMLCALL characters(void* data, const XML_Char* text, int length) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (!state.error.empty()) return;
    if (state.listener != nullptr) state.listener->text(text, length);
    if (!state.inData) return;
    if (state.encoding == Encoding::Ascii) {
        for (int i = 0; i < length; ++i) {
            const bool space = isSpace(text[i]);
            if (!space && !state.inToken) ++state.tokens;
            state.inToken = !space;
        }
    } else if (state.encoding == Encoding::Base64 || state.encoding == Encoding::GzipBase64) {
        long long tokens = 0, padding = 0;
        for (int i = 0; i < length; ++i) {
            tokens += isSpace(text[i]) ? 0 : 1;
            padding += text[i] == '=' ? 1 : 0;
        }
        state.tokens += tokens;
        state.padding += padding;
    }
}

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

}  // namespace

GiftiStructure checkGiftiStructure(const std::string& path, GiftiPassListener* listener) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw badInput(cannotOpen(path, "surface file"));
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    ParseState state;
    state.parser = parser.get();
    state.path = path;
    state.listener = listener;
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(parser.get(), startElement, endElement);
    XML_SetCharacterDataHandler(parser.get(), characters);

    // Read straight into the parser's own buffer.
    constexpr int kChunk = 1 << 16;
    bool last = false;
    while (!last && state.error.empty()) {
        void* buffer = XML_GetBuffer(parser.get(), kChunk);
        if (buffer == nullptr) throw std::bad_alloc();
        in.read(static_cast<char*>(buffer), kChunk);
        const std::streamsize got = in.gcount();
        if (in.bad()) throw badInput(path + ": reading the surface file failed");
        last = got < kChunk;
        if (XML_ParseBuffer(parser.get(), static_cast<int>(got), last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR &&
            state.error.empty()) {
            throw badInput(path + ": not a readable GIFTI file: line " +
                           std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": not well-formed XML (" + XML_ErrorString(XML_GetErrorCode(parser.get())) + ")");
        }
    }
    if (!state.error.empty()) throw badInput(state.error);
    return state.structure;
}

}  // namespace zevkalon

#endif  // TESSARIN_HAVE_GIFTI

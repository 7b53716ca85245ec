#include "host/readers/gifti_structure_check.h"

#if defined(TESSARIN_HAVE_GIFTI)

#include <expat.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "host/host_error.h"

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

struct ParseState {
    XML_Parser parser = nullptr;
    std::string path;
    std::string error;  // the first problem found; parsing stops there
    std::vector<std::string> open;
    // The DataArray being read.
    bool asciiArray = false;
    long long declaredValues = -1;  // -1: unknown, left to the library
    int dataElements = 0;
    // The Data element being read.
    bool inData = false;
    bool inToken = false;
    long long tokens = 0;

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

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    ParseState& state = *static_cast<ParseState*>(data);
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
        const char* encoding = attribute(attributes, "Encoding");
        state.asciiArray = encoding != nullptr && std::strcmp(encoding, "ASCII") == 0;
        state.declaredValues = declaredValueCount(attributes);
        state.dataElements = 0;
    } else if (rule->first == "Data") {
        if (++state.dataElements > 1) {
            state.fail("a <DataArray> holds more than one <Data>");
            return;
        }
        state.inData = true;
        state.inToken = false;
        state.tokens = 0;
    }
    state.open.emplace_back(name);
}

void XMLCALL endElement(void* data, const XML_Char* name) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (std::strcmp(name, "Data") == 0 && state.inData) {
        state.inData = false;
        if (state.asciiArray && state.declaredValues >= 0 && state.tokens != state.declaredValues) {
            state.fail("an ASCII <DataArray> declares " + std::to_string(state.declaredValues) + " values but holds " +
                       std::to_string(state.tokens));
            return;
        }
    } else if (std::strcmp(name, "DataArray") == 0 && state.dataElements == 0) {
        state.fail("a <DataArray> holds no <Data>");
        return;
    }
    if (!state.open.empty()) state.open.pop_back();
}

void XMLCALL characters(void* data, const XML_Char* text, int length) {
    ParseState& state = *static_cast<ParseState*>(data);
    if (!state.inData || !state.asciiArray) return;
    for (int i = 0; i < length; ++i) {
        const bool space = std::isspace(static_cast<unsigned char>(text[i])) != 0;
        if (!space && !state.inToken) ++state.tokens;
        state.inToken = !space;
    }
}

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

}  // namespace

void checkGiftiStructure(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw badInput(path + ": cannot open the surface file");
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    ParseState state;
    state.parser = parser.get();
    state.path = path;
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(parser.get(), startElement, endElement);
    XML_SetCharacterDataHandler(parser.get(), characters);

    std::vector<char> buffer(1 << 16);
    bool last = false;
    while (!last && state.error.empty()) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::streamsize got = in.gcount();
        if (in.bad()) throw badInput(path + ": reading the surface file failed");
        last = got < static_cast<std::streamsize>(buffer.size());
        if (XML_Parse(parser.get(), buffer.data(), static_cast<int>(got), last ? XML_TRUE : XML_FALSE) ==
                XML_STATUS_ERROR &&
            state.error.empty()) {
            throw badInput(path + ": not a readable GIFTI file: line " +
                           std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": not well-formed XML (" + XML_ErrorString(XML_GetErrorCode(parser.get())) + ")");
        }
    }
    if (!state.error.empty()) throw badInput(state.error);
}

}  // namespace zevkalon

#endif  // TESSARIN_HAVE_GIFTI

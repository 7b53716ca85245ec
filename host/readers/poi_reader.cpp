#include "host/readers/poi_reader.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <vector>

#include "host/host_error.h"

namespace zevkalon {

namespace {

// Walks the lines of one file and turns every deviation into a message
// that names the line.
class LineCursor {
public:
    LineCursor(std::istream& in, const std::string& sourceName) : sourceName_(sourceName) {
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines_.push_back(line);
        }
    }

    HostError fail(const std::string& problem) const {
        const std::size_t shown = std::min(next_ == 0 ? 1 : next_, lines_.size() + 1);
        return HostError(kExitRunFailed, sourceName_ + ":" + std::to_string(shown) + ": " + problem);
    }

    void skipBlank() {
        while (next_ < lines_.size() && isBlank(lines_[next_])) ++next_;
    }
    bool atEnd() const { return next_ >= lines_.size(); }

    // The rest of the next line after key, blanks after the key skipped.
    std::string value(const std::string& key) {
        if (atEnd()) {
            ++next_;
            throw fail("the file ends where \"" + key + "\" was expected");
        }
        const std::string& line = lines_[next_++];
        if (line.compare(0, key.size(), key) != 0) {
            throw fail("expected \"" + key + "\" but found \"" + line.substr(0, 40) + "\"");
        }
        const std::size_t start = line.find_first_not_of(' ', key.size());
        return start == std::string::npos ? std::string() : line.substr(start);
    }

    std::string quoted(const std::string& key) {
        const std::string text = value(key);
        const std::size_t last = text.rfind('"');
        if (text.empty() || text.front() != '"' || last == 0 || last + 1 != text.size()) {
            throw fail("the value of \"" + key + "\" must be enclosed in double quotes");
        }
        return text.substr(1, last - 1);
    }

    long long number(const std::string& text, const std::string& what, long long low, long long high) const {
        char* end = nullptr;
        errno = 0;
        const long long parsed = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || end == text.c_str() || *end != '\0' || errno == ERANGE) {
            throw fail(what + " \"" + text + "\" is not a whole number");
        }
        if (parsed < low || parsed > high) {
            throw fail(what + " " + text + " is outside " + std::to_string(low) + " .. " + std::to_string(high));
        }
        return parsed;
    }

    long long keyNumber(const std::string& key, long long low, long long high) {
        return number(value(key), key.substr(0, key.size() - 1), low, high);
    }

    std::string nextRaw() {
        if (atEnd()) {
            ++next_;
            throw fail("the file ends inside a vertex list");
        }
        return lines_[next_++];
    }

private:
    static bool isBlank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

    std::string sourceName_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

}  // namespace

tessarin::POIFile parsePOIFile(std::istream& in, const std::string& sourceName) {
    const long long maxInt = std::numeric_limits<std::int32_t>::max();
    LineCursor cursor(in, sourceName);
    tessarin::POIFile file;
    file.FileName = sourceName;
    cursor.skipBlank();
    file.FileVersion = static_cast<std::int32_t>(cursor.keyNumber("FileVersion:", 2, 2));
    cursor.skipBlank();
    file.FromMeshFile = cursor.quoted("FromMeshFile:");
    cursor.skipBlank();
    file.NrOfMeshVertices = static_cast<std::int32_t>(cursor.keyNumber("NrOfMeshVertices:", 0, maxInt));
    cursor.skipBlank();
    file.NrOfPOIs = static_cast<std::int32_t>(cursor.keyNumber("NrOfPOIs:", 0, maxInt));
    const long long lastVertex = static_cast<long long>(file.NrOfMeshVertices) - 1;
    for (std::int32_t p = 0; p < file.NrOfPOIs; ++p) {
        tessarin::POIRecord record;
        cursor.skipBlank();
        record.NameOfPOI = cursor.quoted("NameOfPOI:");
        record.InfoTextFile = cursor.quoted("InfoTextFile:");
        const std::string color = cursor.value("ColorOfPOI:");
        std::vector<std::string> parts;
        for (std::size_t start = 0; start <= color.size();) {
            const std::size_t blank = color.find(' ', start);
            const std::size_t stop = blank == std::string::npos ? color.size() : blank;
            if (stop > start) parts.push_back(color.substr(start, stop - start));
            start = stop + 1;
        }
        if (parts.size() != 3) throw cursor.fail("ColorOfPOI needs three components, found " + std::to_string(parts.size()));
        for (int c = 0; c < 3; ++c) {
            record.ColorOfPOI[c] = static_cast<std::int32_t>(cursor.number(parts[c], "colour component", 0, 255));
        }
        record.LabelVertex = static_cast<std::int32_t>(cursor.keyNumber("LabelVertex:", 0, std::max(lastVertex, 0LL)));
        record.NrOfVertices = static_cast<std::int32_t>(cursor.keyNumber("NrOfVertices:", 0, maxInt));
        for (std::int32_t v = 0; v < record.NrOfVertices; ++v) {
            record.Vertices.push_back(static_cast<std::int32_t>(cursor.number(cursor.nextRaw(), "vertex", 0, lastVertex)));
        }
        file.POIs.push_back(std::move(record));
    }
    cursor.skipBlank();
    file.NrOfPOIMTCs = static_cast<std::int32_t>(cursor.keyNumber("NrOfPOIMTCs:", 0, maxInt));
    cursor.skipBlank();
    if (!cursor.atEnd()) {
        cursor.nextRaw();
        throw cursor.fail("unexpected text after the last key");
    }
    return file;
}

tessarin::POIFile readPOIFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError(kExitRunFailed, path + ": cannot open the POI file");
    return parsePOIFile(in, path);
}

}  // namespace zevkalon

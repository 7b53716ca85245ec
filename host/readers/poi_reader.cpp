#include "host/readers/poi_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string_view>
#include <vector>

#include "host/host_error.h"
#include "host/readers/open_failure.h"

namespace zevkalon {

namespace {

// The whole text of a stream, read at once: a POI file is a few megabytes.
std::string wholeText(std::istream& in) {
    std::string text;
    const std::istream::pos_type start = in.tellg();
    if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
        const std::istream::pos_type end = in.tellg();
        if (end > start) text.reserve(static_cast<std::size_t>(end - start));
        in.seekg(start);
    }
    in.clear();
    char piece[1 << 16];
    for (std::streamsize got; (got = in.rdbuf()->sgetn(piece, sizeof piece)) > 0;) {
        text.append(piece, static_cast<std::size_t>(got));
    }
    return text;
}

// Walks the lines of one file and turns every deviation into a message
// that names the line. Lines are split as std::getline splits them, and
// lose one trailing CR.
class LineCursor {
public:
    LineCursor(std::string text, const std::string& sourceName) : sourceName_(sourceName), text_(std::move(text)) {}

    HostError fail(const std::string& problem) const {
        const std::size_t shown = std::min(next_ == 0 ? 1 : next_, lineCount() + 1);
        return HostError(kExitRunFailed, sourceName_ + ":" + std::to_string(shown) + ": " + problem);
    }

    void skipBlank() {
        while (!atEnd() && isBlank(peek())) take();
    }
    bool atEnd() const { return at_ >= text_.size(); }

    // The rest of the next line after key, blanks after the key skipped.
    std::string_view value(const std::string& key) {
        if (atEnd()) {
            ++next_;
            throw fail("the file ends where \"" + key + "\" was expected");
        }
        const std::string_view line = take();
        if (line.compare(0, key.size(), key) != 0) {
            throw fail("expected \"" + key + "\" but found \"" + std::string(line.substr(0, 40)) + "\"");
        }
        const std::size_t start = line.find_first_not_of(' ', key.size());
        return start == std::string_view::npos ? std::string_view() : line.substr(start);
    }

    std::string quoted(const std::string& key) {
        const std::string_view text = value(key);
        const std::size_t last = text.rfind('"');
        if (text.empty() || text.front() != '"' || last == 0 || last + 1 != text.size()) {
            throw fail("the value of \"" + key + "\" must be enclosed in double quotes");
        }
        return std::string(text.substr(1, last - 1));
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

    // The same for the bulk of a file, vertex lines of plain digits; any
    // other text goes through number().
    long long count(std::string_view text, const char* what, long long low, long long high) const {
        if (text.empty() || text.size() > 18) return number(std::string(text), what, low, high);
        long long parsed = 0;
        for (const char c : text) {
            if (c < '0' || c > '9') return number(std::string(text), what, low, high);
            parsed = parsed * 10 + (c - '0');
        }
        if (parsed < low || parsed > high) return number(std::string(text), what, low, high);
        return parsed;
    }

    long long keyNumber(const std::string& key, long long low, long long high) {
        return number(std::string(value(key)), key.substr(0, key.size() - 1), low, high);
    }

    std::string_view nextRaw() {
        if (atEnd()) {
            ++next_;
            throw fail("the file ends inside a vertex list");
        }
        return take();
    }

    // At most how many more lines there can be: each but the last ends in a
    // line feed.
    std::size_t linesLeftAtMost() const { return atEnd() ? 0 : (text_.size() - at_) / 2 + 1; }

private:
    static bool isBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

    std::string_view peek() const {
        const std::size_t feed = text_.find('\n', at_);
        std::string_view line(text_.data() + at_, (feed == std::string::npos ? text_.size() : feed) - at_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    }

    std::string_view take() {
        const std::string_view line = peek();
        const std::size_t feed = text_.find('\n', at_);
        at_ = feed == std::string::npos ? text_.size() : feed + 1;
        ++next_;
        return line;
    }

    std::size_t lineCount() const {
        std::size_t lines = 0;
        for (std::size_t at = 0; at < text_.size(); ++lines) {
            const std::size_t feed = text_.find('\n', at);
            at = feed == std::string::npos ? text_.size() : feed + 1;
        }
        return lines;
    }

    std::string sourceName_;
    std::string text_;
    std::size_t at_ = 0;    // where the next line starts
    std::size_t next_ = 0;  // lines taken so far
};

}  // namespace

tessarin::POIFile parsePOIFile(std::istream& in, const std::string& sourceName) {
    const long long maxInt = std::numeric_limits<std::int32_t>::max();
    LineCursor cursor(wholeText(in), sourceName);
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
        const std::string color(cursor.value("ColorOfPOI:"));
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
        // Sized once, but never beyond what the rest of the file can hold.
        record.Vertices.reserve(std::min(static_cast<std::size_t>(record.NrOfVertices), cursor.linesLeftAtMost()));
        for (std::int32_t v = 0; v < record.NrOfVertices; ++v) {
            record.Vertices.push_back(static_cast<std::int32_t>(cursor.count(cursor.nextRaw(), "vertex", 0, lastVertex)));
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
    if (!in) throw HostError(kExitRunFailed, cannotOpen(path, "POI file"));
    return parsePOIFile(in, path);
}

}  // namespace zevkalon

#include "host/readers/obj_reader.h"

#include <cmath>
#include <fstream>
#include <limits>

#include "host/host_error.h"
#include "host/readers/open_failure.h"
#include "host/readers/text_lines.h"
#include "host/readers/text_words.h"

namespace zevkalon {

namespace {

// White space as std::isspace knows it in the "C" locale.
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The words of a line before any '#', as contentWords splits them, without
// copying them out of the line.
void splitWords(std::string_view line, std::vector<std::string_view>& words) {
    words.clear();
    std::size_t at = 0;
    while (at < line.size() && line[at] != '#') {
        while (at < line.size() && isSpace(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !isSpace(line[at]) && line[at] != '#') ++at;
        if (at > start) words.push_back(line.substr(start, at - start));
    }
}

// How many "v" and "f" statements a file has, from a quick look at the
// first letters of its lines: the arrays are sized once instead of grown.
struct StatementCounts {
    std::size_t vertices = 0, faces = 0;
};

StatementCounts countStatements(std::istream& in) {
    StatementCounts counts;
    const std::istream::pos_type start = in.tellg();
    if (start == std::istream::pos_type(-1)) return counts;
    TextLines lines(in);
    for (std::string_view line; lines.next(line);) {
        if (line.size() < 2 || !isSpace(line[1])) continue;
        counts.vertices += line[0] == 'v' ? 1 : 0;
        counts.faces += line[0] == 'f' ? 1 : 0;
    }
    in.clear();
    in.seekg(start);
    return counts;
}

}  // namespace

SurfaceFile parseObj(std::istream& in, const std::string& sourceName) {
    SurfaceFile surface;
    const StatementCounts counts = countStatements(in);
    surface.positions.reserve(3 * counts.vertices);
    surface.triangles.reserve(3 * counts.faces);
    // Normal index of every face corner, checked against the vertex index
    // once it is known whether the file has normals at all.
    struct Corner {
        long long vertex, normal;
        int line;
    };
    std::vector<Corner> cornersWithNormals;
    std::vector<std::string_view> words;
    std::vector<std::int32_t> polygon;
    TextLines lines(in);
    std::string_view line;
    int lineNumber = 0;
    while (lines.next(line)) {
        if (++lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        const auto fail = [&](const std::string& problem) {
            return badInput(lineProblem(sourceName, lineNumber, problem));
        };
        splitWords(line, words);
        if (words.empty()) continue;
        const std::string_view keyword = words.front();
        const std::size_t given = words.size() - 1;

        if (keyword == "v" || keyword == "vn") {
            const bool isNormal = keyword == "vn";
            if (given < 3 || (isNormal && given != 3)) {
                throw fail(std::string(isNormal ? "a normal" : "a vertex") + " needs three coordinates, found " +
                           std::to_string(given));
            }
            std::vector<double>& target = isNormal ? surface.normals : surface.positions;
            for (std::size_t c = 1; c <= 3; ++c) {
                double value = 0.0;
                if (!parseRealWord(words[c], value)) throw fail("\"" + std::string(words[c]) + "\" is not a number");
                if (!std::isfinite(value)) throw fail("coordinate \"" + std::string(words[c]) + "\" is not a finite number");
                target.push_back(value);
            }
        } else if (keyword == "f") {
            if (given < 3) throw fail("a face needs at least three vertices, found " + std::to_string(given));
            const long long defined = surface.nrOfVertices();
            polygon.clear();
            for (std::size_t w = 1; w < words.size(); ++w) {
                const std::string_view word = words[w];
                const std::size_t slash = word.find('/');
                long long index = 0;
                if (!parseWholeWord(word.substr(0, slash), index)) {
                    throw fail("face index \"" + std::string(word) + "\" is malformed");
                }
                if (index == 0) throw fail("face index 0: OBJ indices start at 1");
                const long long resolved = index > 0 ? index - 1 : defined + index;
                if (resolved < 0 || resolved >= defined) {
                    throw fail("face index " + std::to_string(index) + " is outside the " + std::to_string(defined) +
                               " vertices defined so far");
                }
                const std::size_t second = slash == std::string_view::npos ? slash : word.find('/', slash + 1);
                if (second != std::string_view::npos && second + 1 < word.size()) {
                    long long normal = 0;
                    if (!parseWholeWord(word.substr(second + 1), normal) || normal == 0) {
                        throw fail("normal index in \"" + std::string(word) + "\" is malformed");
                    }
                    const long long normalsSoFar = static_cast<long long>(surface.normals.size() / 3);
                    cornersWithNormals.push_back({resolved, normal > 0 ? normal - 1 : normalsSoFar + normal, lineNumber});
                }
                polygon.push_back(static_cast<std::int32_t>(resolved));
            }
            for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
                surface.triangles.insert(surface.triangles.end(), {polygon[0], polygon[i], polygon[i + 1]});
            }
        }
        // Any other statement carries nothing the host shows.
    }
    if (!surface.normals.empty()) {
        for (const Corner& corner : cornersWithNormals) {
            if (corner.normal != corner.vertex) {
                throw badInput(lineProblem(sourceName, corner.line,
                                           "a face pairs vertex " + std::to_string(corner.vertex + 1) + " with normal " +
                                               std::to_string(corner.normal + 1) +
                                               "; zevkalon takes one normal per vertex (normal i for vertex i)"));
            }
        }
    }
    return surface;
}

SurfaceFile readObj(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw badInput(cannotOpen(path, "surface file"));
    return parseObj(in, path);
}

}  // namespace zevkalon

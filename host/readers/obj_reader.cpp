#include "host/readers/obj_reader.h"

#include <cmath>
#include <fstream>
#include <limits>

#include "host/host_error.h"
#include "host/readers/text_words.h"

namespace zevkalon {

SurfaceFile parseObj(std::istream& in, const std::string& sourceName) {
    SurfaceFile surface;
    // Normal index of every face corner, checked against the vertex index
    // once it is known whether the file has normals at all.
    struct Corner {
        long long vertex, normal;
        int line;
    };
    std::vector<Corner> cornersWithNormals;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        if (++lineNumber == 1) dropByteOrderMark(line);
        const auto fail = [&](const std::string& problem) {
            return badInput(lineProblem(sourceName, lineNumber, problem));
        };
        std::vector<std::string> words = contentWords(line);
        if (words.empty()) continue;
        const std::string keyword = words.front();
        words.erase(words.begin());

        if (keyword == "v" || keyword == "vn") {
            const bool isNormal = keyword == "vn";
            if (words.size() < 3 || (isNormal && words.size() != 3)) {
                throw fail(std::string(isNormal ? "a normal" : "a vertex") + " needs three coordinates, found " +
                           std::to_string(words.size()));
            }
            std::vector<double>& target = isNormal ? surface.normals : surface.positions;
            for (int c = 0; c < 3; ++c) {
                double value = 0.0;
                if (!parseRealNumber(words[c], value)) throw fail("\"" + words[c] + "\" is not a number");
                if (!std::isfinite(value)) throw fail("coordinate \"" + words[c] + "\" is not a finite number");
                target.push_back(value);
            }
        } else if (keyword == "f") {
            if (words.size() < 3) throw fail("a face needs at least three vertices, found " + std::to_string(words.size()));
            const long long defined = surface.nrOfVertices();
            std::vector<std::int32_t> polygon;
            for (const std::string& word : words) {
                const std::size_t slash = word.find('/');
                long long index = 0;
                if (!parseWholeNumber(word.substr(0, slash), index)) throw fail("face index \"" + word + "\" is malformed");
                if (index == 0) throw fail("face index 0: OBJ indices start at 1");
                const long long resolved = index > 0 ? index - 1 : defined + index;
                if (resolved < 0 || resolved >= defined) {
                    throw fail("face index " + std::to_string(index) + " is outside the " + std::to_string(defined) +
                               " vertices defined so far");
                }
                const std::size_t second = slash == std::string::npos ? std::string::npos : word.find('/', slash + 1);
                if (second != std::string::npos && second + 1 < word.size()) {
                    long long normal = 0;
                    if (!parseWholeNumber(word.substr(second + 1), normal) || normal == 0) {
                        throw fail("normal index in \"" + word + "\" is malformed");
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
    if (!in) throw badInput(path + ": cannot open the surface file");
    return parseObj(in, path);
}

}  // namespace zevkalon

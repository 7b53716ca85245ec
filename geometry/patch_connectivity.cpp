#include "geometry/patch_connectivity.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "geometry/vertex_marks.h"

namespace tessarin {

namespace {

// The unassigned entries of the input list, with O(1) answers to the two
// questions the split asks: "which is the last unassigned entry?" and "take
// the first unassigned entry equal to v". The entries of one vertex are
// grouped by position (ascending); the unassigned ones always form a
// contiguous run of that group, because candidates take them from the front
// and seeds, being the last unassigned entry of the whole list, from the back.
class RemainingEntries {
public:
    RemainingEntries(const VertexList& list, VertexMarks& slotOf) : list_(list), slotOf_(slotOf) {
        const std::size_t n = list.size();
        // slotOf maps each distinct vertex to a slot 0 .. k - 1.
        std::vector<std::int32_t> counts;
        counts.reserve(n);
        for (VertexIndex v : list) {
            if (!slotOf.isSet(v)) {
                slotOf.set(v, static_cast<std::int32_t>(counts.size()));
                counts.push_back(0);
            }
            ++counts[static_cast<std::size_t>(slotOf.get(v))];
        }
        head_.resize(counts.size());
        tail_.resize(counts.size());
        std::int32_t start = 0;
        for (std::size_t s = 0; s < counts.size(); ++s) {
            head_[s] = tail_[s] = start;
            start += counts[s];
        }
        positions_.resize(n);
        for (std::size_t p = 0; p < n; ++p) {
            const auto s = static_cast<std::size_t>(slotOf.get(list[p]));
            positions_[static_cast<std::size_t>(tail_[s]++)] = static_cast<std::int32_t>(p);
        }
        taken_.assign(n, 0);
        left_ = n;
        end_ = n;
    }

    bool empty() const { return left_ == 0; }

    // Removes and returns the last unassigned entry. Precondition: !empty().
    VertexIndex takeLast() {
        while (taken_[end_ - 1]) --end_;
        const std::size_t p = --end_;
        const VertexIndex v = list_[p];
        taken_[p] = 1;
        --left_;
        --tail_[static_cast<std::size_t>(slotOf_.get(v))];
        return v;
    }

    // Removes the first unassigned entry equal to v; false when there is none.
    bool takeFirst(VertexIndex v) {
        if (!slotOf_.isSet(v)) return false;
        const auto s = static_cast<std::size_t>(slotOf_.get(v));
        if (head_[s] == tail_[s]) return false;
        taken_[static_cast<std::size_t>(positions_[static_cast<std::size_t>(head_[s]++)])] = 1;
        --left_;
        return true;
    }

private:
    const VertexList& list_;
    VertexMarks& slotOf_;
    std::vector<std::int32_t> positions_;  // entry positions grouped by slot
    std::vector<std::int32_t> head_, tail_;  // unassigned run of each slot in positions_
    std::vector<char> taken_;              // per entry position
    std::size_t left_ = 0;                 // unassigned entries
    std::size_t end_ = 0;                  // no unassigned entry at or after this position
};

// Area of triangle t. The expression, its order and single precision are
// what stored area figures were computed with; keep them as they are.
float triangleArea(const SurfaceMesh& mesh, std::int32_t t) {
    const std::int32_t* tri = mesh.triangles + 3 * static_cast<std::size_t>(t);
    const std::int32_t i0 = tri[0], i1 = tri[1], i2 = tri[2];
    const float ux = mesh.vertexX[i1] - mesh.vertexX[i0];
    const float uy = mesh.vertexY[i1] - mesh.vertexY[i0];
    const float uz = mesh.vertexZ[i1] - mesh.vertexZ[i0];
    const float wx = mesh.vertexX[i2] - mesh.vertexX[i0];
    const float wy = mesh.vertexY[i2] - mesh.vertexY[i0];
    const float wz = mesh.vertexZ[i2] - mesh.vertexZ[i0];
    const float nx = uy * wz - uz * wy;
    const float ny = uz * wx - ux * wz;
    const float nz = ux * wy - uy * wx;
    return 0.5f * std::sqrt(nx * nx + nz * nz + ny * ny);
}

void markAll(const VertexList& vertices, VertexMarks& marks) {
    for (VertexIndex v : vertices) marks.set(v, 1);
}

// Triangles grouped by their first vertex, so that the area of a small patch
// visits only the triangles that start at one of its vertices instead of the
// whole mesh. Worth building once when many patches are measured.
class TrianglesByFirstVertex {
public:
    explicit TrianglesByFirstVertex(const SurfaceMesh& mesh) {
        const auto n = static_cast<std::size_t>(std::max(mesh.nrOfVertices, 0));
        start_.assign(n + 1, 0);
        for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t) ++start_[static_cast<std::size_t>(mesh.triangles[3 * static_cast<std::size_t>(t)]) + 1];
        for (std::size_t v = 0; v < n; ++v) start_[v + 1] += start_[v];
        triangles_.resize(static_cast<std::size_t>(start_[n]));
        std::vector<std::int32_t> fill(start_.begin(), start_.end() - 1);
        for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t) {
            const auto i0 = static_cast<std::size_t>(mesh.triangles[3 * static_cast<std::size_t>(t)]);
            triangles_[static_cast<std::size_t>(fill[i0]++)] = t;
        }
    }

    // Same figure as patchArea: the whole triangles are collected, then
    // summed in ascending triangle order, as the scan over all triangles would.
    float area(const VertexList& vertices, const SurfaceMesh& mesh, std::vector<std::int32_t>& whole) const {
        if (vertices.size() < 3) return 0.0f;
        ScratchMarks marks(mesh.nrOfVertices);
        markAll(vertices, *marks);
        whole.clear();
        for (VertexIndex v : vertices) {
            if (marks->get(v) != 1) continue;  // a repeated entry: its triangles are in already
            marks->set(v, 2);
            const auto first = static_cast<std::size_t>(start_[static_cast<std::size_t>(v)]);
            const auto last = static_cast<std::size_t>(start_[static_cast<std::size_t>(v) + 1]);
            for (std::size_t k = first; k < last; ++k) {
                const std::int32_t t = triangles_[k];
                const std::int32_t* tri = mesh.triangles + 3 * static_cast<std::size_t>(t);
                if (marks->isSet(tri[1]) && marks->isSet(tri[2])) whole.push_back(t);
            }
        }
        std::sort(whole.begin(), whole.end());
        float sum = 0.0f;
        for (std::int32_t t : whole) sum += triangleArea(mesh, t);
        return sum;
    }

private:
    std::vector<std::int32_t> start_;      // nrOfVertices + 1 offsets into triangles_
    std::vector<std::int32_t> triangles_;  // triangle indices, ascending within a vertex
};

// The areas of all patches and of the whole list in one scan over the
// triangles, each sum still taken in ascending triangle order. Needs every
// vertex to lie in one patch only (repeats within a patch are fine); returns
// false, with nothing computed, when a vertex stands in two patches.
bool areasInOnePass(const VertexList& whole, const PatchList& patches, const SurfaceMesh& mesh,
                    std::vector<float>& areas, float& wholeArea) {
    ScratchMarks patchOf(mesh.nrOfVertices);
    for (std::size_t i = 0; i < patches.size(); ++i) {
        const auto label = static_cast<std::int32_t>(i);
        for (VertexIndex v : patches[i]) {
            if (patchOf->isSet(v) && patchOf->get(v) != label) return false;
            patchOf->set(v, label);
        }
    }
    // Lists of fewer than three entries have area 0 even if a triangle's
    // three indices were all among them (a triangle with repeated corners).
    std::vector<char> measured(patches.size());
    for (std::size_t i = 0; i < patches.size(); ++i) measured[i] = patches[i].size() >= 3;
    const bool wholeMeasured = whole.size() >= 3;
    wholeArea = 0.0f;
    const std::int32_t* tri = mesh.triangles;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, tri += 3) {
        if (!patchOf->isSet(tri[0]) || !patchOf->isSet(tri[1]) || !patchOf->isSet(tri[2])) continue;
        const float area = triangleArea(mesh, t);
        if (wholeMeasured) wholeArea += area;
        const auto label = static_cast<std::size_t>(patchOf->get(tri[0]));
        if (measured[label] && patchOf->get(tri[1]) == patchOf->get(tri[0]) &&
            patchOf->get(tri[2]) == patchOf->get(tri[0])) {
            areas[label] += area;
        }
    }
    return true;
}

}  // namespace

PatchList splitIntoPatches(VertexList vertices, const SurfaceMesh& mesh) {
    PatchList patches;
    if (vertices.empty()) return patches;
    ScratchMarks slotOf(mesh.nrOfVertices);
    RemainingEntries remaining(vertices, *slotOf);
    VertexList frontier, next;
    while (!remaining.empty()) {
        if (frontier.empty()) {
            const VertexIndex seed = remaining.takeLast();
            patches.push_back(VertexList{seed});
            frontier.push_back(seed);
        }
        // The candidates depend only on the frontier, so they can be taken as
        // they are listed instead of being collected first.
        VertexList& patch = patches.back();
        next.clear();
        for (VertexIndex u : frontier) {
            const std::int32_t* row = mesh.neighbours[u];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
                const VertexIndex candidate = row[j];
                if (remaining.takeFirst(candidate)) {
                    patch.push_back(candidate);
                    next.push_back(candidate);
                }
            }
        }
        std::swap(frontier, next);
    }
    return patches;
}

float patchArea(const VertexList& vertices, const SurfaceMesh& mesh) {
    if (vertices.size() < 3) return 0.0f;
    ScratchMarks marks(mesh.nrOfVertices);
    markAll(vertices, *marks);
    float area = 0.0f;
    const std::int32_t* tri = mesh.triangles;
    for (std::int32_t t = 0; t < mesh.nrOfTriangles; ++t, tri += 3) {
        if (marks->isSet(tri[0]) && marks->isSet(tri[1]) && marks->isSet(tri[2])) area += triangleArea(mesh, t);
    }
    return area;
}

LargestPatchResult keepLargestPatch(VertexList& vertices, const SurfaceMesh& mesh) {
    LargestPatchResult result;
    PatchList patches = splitIntoPatches(vertices, mesh);
    result.nrOfPatches = static_cast<std::int32_t>(patches.size());
    if (patches.empty()) return result;  // nothing to choose from; the list stays empty

    std::vector<float> areas(patches.size(), 0.0f);
    if (!areasInOnePass(vertices, patches, mesh, areas, result.areaBefore)) {
        // A vertex in two patches: measure the patches one by one, visiting
        // only the triangles that start at their vertices.
        const TrianglesByFirstVertex index(mesh);
        std::vector<std::int32_t> scratch;
        for (std::size_t i = 0; i < patches.size(); ++i) areas[i] = index.area(patches[i], mesh, scratch);
        result.areaBefore = index.area(vertices, mesh, scratch);
    }

    std::size_t kept = 0;
    for (std::size_t i = 1; i < patches.size(); ++i) {
        if (areas[i] > areas[kept]) kept = i;
    }
    result.areaKept = areas[kept];
    vertices = std::move(patches[kept]);
    return result;
}

}  // namespace tessarin

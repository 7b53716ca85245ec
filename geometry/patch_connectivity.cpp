#include "geometry/patch_connectivity.h"

#include <algorithm>
#include <utility>

#include "geometry/mesh_index.h"
#include "geometry/row_prefetch.h"
#include "geometry/vertex_bits.h"
#include "geometry/vertex_marks.h"
#include "geometry/whole_triangles.h"

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

// The area of the whole triangles of vertices, as patchArea defines it.
float areaOf(const VertexList& vertices, const SurfaceMesh& mesh, std::vector<std::int32_t>& whole) {
    if (vertices.size() < 3) return 0.0f;
    ScratchBits members(mesh.nrOfVertices);
    for (VertexIndex v : vertices) members->insert(v);
    findWholeTriangles(vertices, *members, mesh, whole);
    float area = 0.0f;
    for (std::int32_t t : whole) area += triangleArea(mesh, t);
    return area;
}

// The areas of all patches and of the whole list in one pass over the whole
// triangles of the list, each sum still taken in ascending triangle order.
// Needs every vertex to lie in one patch only (repeats within a patch are
// fine); returns false, with nothing computed, when a vertex stands in two.
bool areasInOnePass(const VertexList& list, const FlatPatches& patches, const SurfaceMesh& mesh,
                    std::vector<float>& areas, float& wholeArea) {
    ScratchMarks patchOf(mesh.nrOfVertices);
    ScratchBits members(mesh.nrOfVertices);
    for (std::size_t i = 0; i < patches.size(); ++i) {
        const auto label = static_cast<std::int32_t>(i);
        for (const VertexIndex* v = patches.begin(i); v != patches.end(i); ++v) {
            if (!members->insert(*v) && patchOf->get(*v) != label) return false;
            patchOf->set(*v, label);
        }
    }
    // Lists of fewer than three entries have area 0 even if a triangle's
    // three indices were all among them (a triangle with repeated corners).
    std::vector<char> measured(patches.size());
    for (std::size_t i = 0; i < patches.size(); ++i) measured[i] = patches.length(i) >= 3;
    const bool wholeMeasured = list.size() >= 3;
    std::vector<std::int32_t> whole;
    findWholeTriangles(list, *members, mesh, whole);
    wholeArea = 0.0f;
    for (std::int32_t t : whole) {
        const std::int32_t* tri = mesh.triangles + 3 * static_cast<std::size_t>(t);
        const float area = triangleArea(mesh, t);
        if (wholeMeasured) wholeArea += area;
        const std::int32_t label = patchOf->get(tri[0]);
        if (measured[static_cast<std::size_t>(label)] && patchOf->get(tri[1]) == label && patchOf->get(tri[2]) == label) {
            areas[static_cast<std::size_t>(label)] += area;
        }
    }
    return true;
}

// The split of a list without repeated entries, where one bit per vertex
// says everything about an entry: remaining or taken. Each patch serves as
// its own queue: the ring-by-ring growth takes candidates in the order in
// which a queue through the patch meets them.
// Precondition: remaining holds exactly the entries of vertices.
void splitDistinct(const VertexList& vertices, const SurfaceMesh& mesh, VertexBits& remaining, FlatPatches& patches) {
    const RowPrefetcher prefetch(mesh);
    VertexList& out = patches.vertices;
    out.reserve(vertices.size());
    std::size_t end = vertices.size();
    while (out.size() < vertices.size()) {
        while (!remaining.test(vertices[end - 1])) --end;
        const VertexIndex seed = vertices[--end];
        remaining.erase(seed);
        out.push_back(seed);
        for (std::size_t i = patches.starts.back(); i < out.size() && out.size() < vertices.size(); ++i) {
            prefetch.ahead(out, i);
            const VertexIndex u = out[i];
            const std::int32_t* row = mesh.neighbours[u];
            for (std::int32_t j = 0; j < mesh.nrOfNeighbours[u]; ++j) {
                const VertexIndex candidate = row[j];
                if (remaining.test(candidate)) {
                    remaining.erase(candidate);
                    out.push_back(candidate);
                }
            }
        }
        patches.starts.push_back(out.size());
    }
}

// The split of a list with repeated entries: each entry is taken on its own.
PatchList splitWithRepeats(const VertexList& vertices, const SurfaceMesh& mesh) {
    PatchList patches;
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

}  // namespace

FlatPatches splitIntoFlatPatches(const VertexList& vertices, const SurfaceMesh& mesh) {
    FlatPatches patches;
    if (vertices.empty()) return patches;
    {
        ScratchBits remaining(mesh.nrOfVertices);
        bool distinct = true;
        for (VertexIndex v : vertices) distinct = remaining->insert(v) && distinct;
        if (distinct) {
            splitDistinct(vertices, mesh, *remaining, patches);
            return patches;
        }
    }
    for (const VertexList& patch : splitWithRepeats(vertices, mesh)) {
        patches.vertices.insert(patches.vertices.end(), patch.begin(), patch.end());
        patches.starts.push_back(patches.vertices.size());
    }
    return patches;
}

PatchList splitIntoPatches(VertexList vertices, const SurfaceMesh& mesh) {
    const FlatPatches flat = splitIntoFlatPatches(vertices, mesh);
    PatchList patches(flat.size());
    for (std::size_t k = 0; k < flat.size(); ++k) patches[k].assign(flat.begin(k), flat.end(k));
    return patches;
}

float patchArea(const VertexList& vertices, const SurfaceMesh& mesh) {
    std::vector<std::int32_t> whole;
    return areaOf(vertices, mesh, whole);
}

LargestPatchResult keepLargestPatch(VertexList& vertices, const SurfaceMesh& mesh) {
    LargestPatchResult result;
    const FlatPatches patches = splitIntoFlatPatches(vertices, mesh);
    result.nrOfPatches = static_cast<std::int32_t>(patches.size());
    if (patches.size() == 0) return result;  // nothing to choose from; the list stays empty

    std::vector<float> areas(patches.size(), 0.0f);
    if (!areasInOnePass(vertices, patches, mesh, areas, result.areaBefore)) {
        // A vertex in two patches (a repeated entry): measure the patches
        // one by one, through an index of the mesh's triangles when the mesh
        // brings none, so that no patch scans every triangle.
        MeshIndex local;
        SurfaceMesh indexed = mesh;
        if (indexed.index == nullptr) {
            local = buildTriangleIndex(mesh);
            indexed.index = &local;
        }
        std::vector<std::int32_t> whole;
        for (std::size_t i = 0; i < patches.size(); ++i) {
            areas[i] = areaOf(VertexList(patches.begin(i), patches.end(i)), indexed, whole);
        }
        result.areaBefore = areaOf(vertices, indexed, whole);
    }

    std::size_t kept = 0;
    for (std::size_t i = 1; i < patches.size(); ++i) {
        if (areas[i] > areas[kept]) kept = i;
    }
    result.areaKept = areas[kept];
    vertices.assign(patches.begin(kept), patches.end(kept));
    return result;
}

}  // namespace tessarin

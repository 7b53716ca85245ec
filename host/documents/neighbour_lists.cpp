#include "host/documents/neighbour_lists.h"

#include <algorithm>

namespace zevkalon {

namespace {

// The triangles around each vertex: firsts[v] .. firsts[v + 1] - 1 index
// into triangleOf. Every array is sized once, from counts, so a surface of
// millions of corners costs no regrowth.
struct Incidence {
    std::vector<std::int64_t> firsts;
    std::vector<std::int32_t> triangleOf;
};

Incidence incidence(std::size_t nrOfVertices, const std::vector<std::int32_t>& triangles) {
    Incidence around;
    // Counts, summed so that firsts[v] is where v's block ends; placing each
    // corner moves firsts[v] back, to where the block starts in the end.
    around.firsts.assign(nrOfVertices + 1, 0);
    for (const std::int32_t v : triangles) ++around.firsts[static_cast<std::size_t>(v)];
    for (std::size_t v = 1; v <= nrOfVertices; ++v) around.firsts[v] += around.firsts[v - 1];
    around.triangleOf.resize(triangles.size());
    for (std::size_t corner = 0; corner < triangles.size(); ++corner) {
        const std::size_t v = static_cast<std::size_t>(triangles[corner]);
        around.triangleOf[static_cast<std::size_t>(--around.firsts[v])] = static_cast<std::int32_t>(corner / 3);
    }
    return around;
}

// Rows are short (six on a typical surface): insertion sort.
void sortShort(std::int32_t* first, std::int32_t* last) {
    for (std::int32_t* i = first + 1; i < last; ++i) {
        const std::int32_t value = *i;
        std::int32_t* j = i;
        for (; j > first && *(j - 1) > value; --j) *j = *(j - 1);
        *j = value;
    }
}

}  // namespace

NeighbourLists::NeighbourLists(std::int32_t nrOfVertices, const std::vector<std::int32_t>& triangles) {
    const std::size_t n = static_cast<std::size_t>(std::max(nrOfVertices, 0));
    const Incidence around = incidence(n, triangles);
    // seen[w] == v: w is already in v's row, so seen needs no clearing
    // between vertices.
    std::vector<std::int32_t> seen(n, -1);
    std::vector<std::int32_t> found;
    counts_.resize(n);
    // A closed surface has as many neighbours around each vertex as
    // triangles, 3 per triangle in all; an open one has a few more, and the
    // block grows once.
    entries_.reserve(triangles.size());
    for (std::size_t v = 0; v < n; ++v) {
        const std::int32_t self = static_cast<std::int32_t>(v);
        const std::size_t first = static_cast<std::size_t>(around.firsts[v]);
        const std::size_t last = static_cast<std::size_t>(around.firsts[v + 1]);
        if (found.size() < 2 * (last - first)) found.resize(2 * (last - first));
        std::size_t count = 0;
        for (std::size_t i = first; i < last; ++i) {
            const std::int32_t* corner = &triangles[3 * static_cast<std::size_t>(around.triangleOf[i])];
            // The corners other than v's first one: v itself too when it
            // stands at two corners of a degenerate triangle.
            const std::int32_t a = corner[0] == self ? corner[1] : corner[0];
            const std::int32_t b = corner[0] == self || corner[1] == self ? corner[2] : corner[1];
            // Written always, kept only when new: no branch to mispredict.
            found[count] = a;
            count += seen[static_cast<std::size_t>(a)] != self ? 1 : 0;
            seen[static_cast<std::size_t>(a)] = self;
            found[count] = b;
            count += seen[static_cast<std::size_t>(b)] != self ? 1 : 0;
            seen[static_cast<std::size_t>(b)] = self;
        }
        sortShort(found.data(), found.data() + count);
        entries_.insert(entries_.end(), found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count));
        counts_[v] = static_cast<std::int32_t>(count);
    }
    pointRows();
}

NeighbourLists::NeighbourLists(const NeighbourLists& other) : entries_(other.entries_), counts_(other.counts_) {
    pointRows();
}

NeighbourLists& NeighbourLists::operator=(const NeighbourLists& other) {
    if (this != &other) {
        entries_ = other.entries_;
        counts_ = other.counts_;
        pointRows();
    }
    return *this;
}

void NeighbourLists::pointRows() {
    rows_.resize(counts_.size());
    std::int32_t* row = entries_.data();
    for (std::size_t v = 0; v < counts_.size(); ++v) {
        rows_[v] = row;
        row += counts_[v];
    }
}

}  // namespace zevkalon

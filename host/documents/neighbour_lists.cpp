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

// Calls take(w) once for each distinct neighbour w of v. seen[w] == v + 1
// marks w as taken for v, so seen needs no clearing between vertices.
template <typename Take>
void forEachNeighbour(std::size_t v, const Incidence& around, const std::vector<std::int32_t>& triangles,
                      std::vector<std::int32_t>& seen, Take take) {
    const std::int32_t mark = static_cast<std::int32_t>(v) + 1;
    for (std::int64_t i = around.firsts[v]; i < around.firsts[v + 1]; ++i) {
        const std::size_t first = 3 * static_cast<std::size_t>(around.triangleOf[static_cast<std::size_t>(i)]);
        // v takes the triangle's other corners: itself too when it stands
        // at two corners of a degenerate triangle.
        bool passedItself = false;
        for (std::size_t corner = first; corner < first + 3; ++corner) {
            const std::size_t w = static_cast<std::size_t>(triangles[corner]);
            if (w == v && !passedItself) {
                passedItself = true;
                continue;
            }
            if (seen[w] == mark) continue;
            seen[w] = mark;
            take(static_cast<std::int32_t>(w));
        }
    }
}

}  // namespace

NeighbourLists::NeighbourLists(std::int32_t nrOfVertices, const std::vector<std::int32_t>& triangles) {
    const std::size_t n = static_cast<std::size_t>(std::max(nrOfVertices, 0));
    const Incidence around = incidence(n, triangles);
    std::vector<std::int32_t> seen(n, 0);
    // Counted first, so the block has its exact size.
    counts_.assign(n, 0);
    std::size_t total = 0;
    for (std::size_t v = 0; v < n; ++v) {
        forEachNeighbour(v, around, triangles, seen, [&](std::int32_t) { ++counts_[v]; });
        total += static_cast<std::size_t>(counts_[v]);
    }
    entries_.resize(total);
    std::fill(seen.begin(), seen.end(), 0);
    std::int32_t* row = entries_.data();
    for (std::size_t v = 0; v < n; ++v) {
        std::int32_t* end = row;
        forEachNeighbour(v, around, triangles, seen, [&](std::int32_t w) { *end++ = w; });
        // Rows are short (six on a typical surface): insertion sort.
        for (std::int32_t* i = row + 1; i < end; ++i) {
            const std::int32_t value = *i;
            std::int32_t* j = i;
            for (; j > row && *(j - 1) > value; --j) *j = *(j - 1);
            *j = value;
        }
        row = end;
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

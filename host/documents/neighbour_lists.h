// The neighbour lists of a surface, laid out as the host hands them to a
// plug-in: one count and one row pointer per vertex, all rows in one block.
#pragma once

#include <cstdint>
#include <vector>

namespace zevkalon {

class NeighbourLists {
public:
    NeighbourLists() = default;
    // For each vertex, every distinct vertex that shares a triangle with it,
    // ascending. Preconditions: triangles.size() is a multiple of 3 and every
    // entry lies in 0 .. nrOfVertices - 1 (validateSurface checked both).
    NeighbourLists(std::int32_t nrOfVertices, const std::vector<std::int32_t>& triangles);

    // The row pointers point into this object's own block, so a copy points
    // into its copy; moving keeps the block and with it every pointer.
    NeighbourLists(const NeighbourLists& other);
    NeighbourLists& operator=(const NeighbourLists& other);
    NeighbourLists(NeighbourLists&&) noexcept = default;
    NeighbourLists& operator=(NeighbourLists&&) noexcept = default;

    std::int32_t nrOfVertices() const { return static_cast<std::int32_t>(counts_.size()); }
    std::int32_t count(std::int32_t v) const { return counts_[static_cast<std::size_t>(v)]; }
    const std::int32_t* begin(std::int32_t v) const { return rows_[static_cast<std::size_t>(v)]; }
    const std::int32_t* end(std::int32_t v) const { return begin(v) + count(v); }

    // The arrays of the SRF record: a count and a row per vertex.
    std::int32_t* counts() { return counts_.data(); }
    std::int32_t** rows() { return rows_.data(); }

private:
    void pointRows();

    std::vector<std::int32_t> entries_;
    std::vector<std::int32_t> counts_;
    std::vector<std::int32_t*> rows_;
};

}  // namespace zevkalon

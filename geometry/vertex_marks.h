// Per-vertex marks that clear in constant time, and a pool of them.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/scratch.h"

#include "geometry/vertex_list.h"

namespace tessarin {

// One int32 value per vertex, with "unset" for every vertex after reset().
//
// Each slot carries the generation in which it was last written; reset()
// starts a new generation, so clearing costs nothing however large the mesh
// (the array is only touched when it must grow, or once every 2^32 resets
// when the generation counter wraps). This is what lets the vertex-set
// operations test membership in O(1) without paying O(mesh) per call.
//
// Preconditions for every accessor: 0 <= v < the size given to the last reset().
class VertexMarks {
public:
    // Unsets every vertex of a mesh with nrOfVertices vertices (negative counts as 0).
    void reset(std::int32_t nrOfVertices);

    bool isSet(VertexIndex v) const { return slots_[static_cast<std::size_t>(v)].stamp == generation_; }
    // The value stored since the last reset, or 0 for an unset vertex.
    std::int32_t get(VertexIndex v) const {
        const Slot& slot = slots_[static_cast<std::size_t>(v)];
        return slot.stamp == generation_ ? slot.value : 0;
    }
    void set(VertexIndex v, std::int32_t value) {
        Slot& slot = slots_[static_cast<std::size_t>(v)];
        slot.stamp = generation_;
        slot.value = value;
    }

private:
    // Stamp and value side by side: a look-up touches one cache line.
    struct Slot {
        std::uint32_t stamp = 0;
        std::int32_t value = 0;
    };
    std::vector<Slot> slots_;
    std::uint32_t generation_ = 0;  // 0 is never a live generation
};

// Marks borrowed from a pool (see geometry/scratch.h).
using ScratchMarks = Scratch<VertexMarks>;

// Frees the marks kept in the pool. The conversion run calls it when it ends,
// so no memory of a run outlives it. Preconditions: no ScratchMarks alive.
inline void releaseScratchMarks() noexcept { ScratchMarks::releasePool(); }

}  // namespace tessarin

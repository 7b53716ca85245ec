// One bit per vertex: the compact set for the hot loops of the vertex-set
// operations, and a pool of them.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/scratch.h"

#include "geometry/vertex_list.h"

namespace tessarin {

// A set of vertices as one bit each: 47 KB for a 373,000-vertex mesh, so
// the membership tests of a walk over the mesh stay in the fastest caches,
// where per-vertex words would not. Clearing costs only the words that
// were set since the last reset, whatever the mesh size.
//
// Preconditions for every accessor: 0 <= v < the size given to the last reset().
class VertexBits {
public:
    // Empties the set, for a mesh of nrOfVertices vertices (negative counts as 0).
    void reset(std::int32_t nrOfVertices);

    bool test(VertexIndex v) const { return (words_[word(v)] >> (v & 63)) & 1u; }
    // Adds v; true when it was not in the set yet.
    bool insert(VertexIndex v) {
        std::uint64_t& w = words_[word(v)];
        const std::uint64_t bit = std::uint64_t{1} << (v & 63);
        if (w & bit) return false;
        if (w == 0) touched_.push_back(word(v));
        w |= bit;
        return true;
    }
    void erase(VertexIndex v) { words_[word(v)] &= ~(std::uint64_t{1} << (v & 63)); }

private:
    static std::size_t word(VertexIndex v) { return static_cast<std::size_t>(v) >> 6; }

    std::vector<std::uint64_t> words_;
    std::vector<std::size_t> touched_;  // words that may hold bits, repeats allowed
};

// Bits borrowed from a pool (see geometry/scratch.h).
using ScratchBits = Scratch<VertexBits>;

// Frees the bits kept in the pool. Preconditions: no ScratchBits alive.
inline void releaseScratchBits() noexcept { ScratchBits::releasePool(); }

}  // namespace tessarin

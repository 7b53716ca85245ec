// The outer ring of a growing vertex set, cut into its regions and kept up to
// date while whole regions join the set: what hole filling needs, without
// cutting the whole ring afresh after every pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_bits.h"
#include "geometry/vertex_list.h"
#include "geometry/vertex_marks.h"

namespace tessarin {

// The regions of a ring are the pieces that splitIntoPatches cuts from the
// ascending ring: it seeds each piece with the highest vertex not yet taken
// and grows it through neighbour rows. Where every neighbour row between
// ring vertices is mutual (v names w exactly when w names v), a piece is a
// connected component of the ring, whoever seeds it, so the pieces can be
// kept in a union-find forest: a region joining the set removes one
// component, and the new ring vertices behind it can only merge components.
// Each pass then costs about the region and its new neighbours instead of
// the whole ring.
//
// Preconditions: every neighbour row is mutual (MeshIndex::mutualRows;
// DirectedRingRegions serves other rows); entries of the set and of the
// neighbour rows lie in 0 .. nrOfVertices - 1.
class RingRegions {
public:
    explicit RingRegions(const SurfaceMesh& mesh);

    // Takes the ring of set and cuts it into regions.
    void start(const VertexList& set);

    // Number of regions of the current ring.
    std::size_t count() const { return components_; }

    // Appends the smallest region (the one holding the highest vertex among
    // equally small ones) to set, seeded with its highest vertex and in the
    // breadth-first order of splitIntoPatches, and brings the ring and its
    // regions up to date. Precondition: count() > 0.
    void absorbSmallest(VertexList& set);

private:
    struct Candidate {
        std::int32_t size;
        VertexIndex top;
        std::int32_t root;
    };

    static bool later(const Candidate& a, const Candidate& b);
    void joinRing(VertexIndex v);
    void linkToRing(VertexIndex v);
    void linkFresh();
    std::int32_t find(std::int32_t slot);
    void unite(std::int32_t a, std::int32_t b);
    bool isCurrent(const Candidate& candidate) const;

    const SurfaceMesh& mesh_;
    ScratchBits member_;    // the set
    ScratchBits ring_;      // its outer ring
    ScratchBits pending_;   // about to join the ring
    ScratchMarks slotOf_;   // a ring vertex's slot in the forest
    // Per slot (one per vertex that ever entered the ring).
    std::vector<std::int32_t> parent_;
    std::vector<std::int32_t> size_;    // valid at roots
    std::vector<VertexIndex> top_;      // highest vertex, valid at roots
    std::vector<char> absorbed_;        // at roots: the region has joined the set
    std::size_t components_ = 0;
    // Min-heap of regions by (size, highest vertex descending); entries whose
    // region has since grown or joined the set are skipped when they surface.
    std::vector<Candidate> heap_;
    VertexList fresh_;
    std::vector<std::int32_t> roots_;
};

}  // namespace tessarin

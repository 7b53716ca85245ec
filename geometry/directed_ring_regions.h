// The regions of a growing set's outer ring where neighbour rows may be
// one-way, kept up to date as whole regions join the set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <queue>
#include <vector>

#include "geometry/surface_mesh.h"
#include "geometry/vertex_bits.h"
#include "geometry/vertex_list.h"
#include "geometry/vertex_marks.h"

namespace tessarin {

// splitIntoPatches cuts the ascending ring into regions by seeding each with
// the highest vertex not yet taken and taking everything it reaches through
// neighbour rows among the vertices not yet taken. With one-way rows a
// region is not a connected component: who reaches whom depends on which
// seed comes first. Still, each region is closed: it holds everything it
// reaches among the vertices of later regions. Hence a region that joins
// the set changes no other, and when the new ring vertices behind it come,
// in seed order, highest first:
//  - a region whose rows name a new vertex takes what it now reaches from
//    there, the new vertices and whatever of later regions lies behind them;
//  - a later region that loses a vertex so loses everything that vertex
//    reaches, so what it keeps is still all that its seed reaches (and if it
//    loses its seed, it loses everything);
//  - a new vertex that nothing took seeds a region of its own.
// Regions that name no new vertex stay as they are. The rows turned around
// ("who names v") find the regions that a new ring vertex touches.
//
// Preconditions: entries of the set and of the neighbour rows lie in
// 0 .. nrOfVertices - 1; namedByStart / namedBy are the mesh's rows turned
// around (MeshIndex) and outlive this object.
class DirectedRingRegions {
public:
    DirectedRingRegions(const SurfaceMesh& mesh, const std::vector<std::int32_t>& namedByStart,
                        const std::vector<std::int32_t>& namedBy);

    // Takes the ring of set and cuts it into regions.
    void start(const VertexList& set);

    // Number of regions of the current ring.
    std::size_t count() const { return alive_; }

    // Appends the smallest region (the one with the highest seed among
    // equally small ones) to set, in the order of splitIntoPatches, and
    // brings the ring and its regions up to date. Precondition: count() > 0.
    void absorbSmallest(VertexList& set);

private:
    static constexpr std::int32_t kFree = -1;  // in the ring, in no region yet

    struct Region {
        VertexIndex seed;
        std::int32_t size = 0;
        bool alive = true;
        bool lostSeed = false;
        std::uint32_t touchedIn = 0;  // the round that queued it
        std::uint32_t grownIn = 0;    // the round that grew it
        std::int32_t firstEntry = -1;  // this round: members that name new vertices
    };
    struct Entry {
        VertexIndex member;
        std::int32_t next;
    };
    struct Event {
        VertexIndex value;    // a seed, or a new vertex
        std::int32_t region;  // or -1 for a new vertex
        bool operator<(const Event& other) const { return value < other.value; }
    };
    struct Candidate {
        std::int32_t size;
        VertexIndex seed;
        std::int32_t region;
    };
    static bool later(const Candidate& a, const Candidate& b);

    std::int32_t regionOf(VertexIndex v) const { return regionOf_->get(v); }
    void addToRing(VertexIndex v);
    void touch(std::int32_t region, VertexIndex entry);
    bool claimable(VertexIndex w, VertexIndex seed) const;
    void claim(std::int32_t region, VertexIndex w);
    void growFromQueue(std::int32_t region);
    void seedRegion(VertexIndex seed);
    void growRegion(std::int32_t region);
    void settle();
    void offer(std::int32_t region);

    const SurfaceMesh& mesh_;
    const std::vector<std::int32_t>& namedByStart_;
    const std::vector<std::int32_t>& namedBy_;
    ScratchBits member_;     // the set
    ScratchBits ring_;       // its outer ring
    ScratchMarks regionOf_;  // per ring vertex: its region, or kFree
    std::vector<Region> regions_;
    std::vector<Entry> entries_;  // this round's, threaded per region
    std::size_t alive_ = 0;
    std::uint32_t round_ = 1;
    std::priority_queue<Event> events_;
    std::vector<Candidate> heap_;
    VertexList queue_;
};

}  // namespace tessarin

#include "geometry/directed_ring_regions.h"

#include <algorithm>

namespace tessarin {

bool DirectedRingRegions::later(const Candidate& a, const Candidate& b) {
    return a.size != b.size ? a.size > b.size : a.seed < b.seed;
}

DirectedRingRegions::DirectedRingRegions(const SurfaceMesh& mesh, const std::vector<std::int32_t>& namedByStart,
                                         const std::vector<std::int32_t>& namedBy)
    : mesh_(mesh),
      namedByStart_(namedByStart),
      namedBy_(namedBy),
      member_(mesh.nrOfVertices),
      ring_(mesh.nrOfVertices),
      regionOf_(mesh.nrOfVertices) {}

// A new ring vertex, in no region: the regions whose rows name it may take
// it when their turn comes, else it seeds a region at its own turn.
void DirectedRingRegions::addToRing(VertexIndex v) {
    regionOf_->set(v, kFree);
    events_.push({v, -1});
    const auto first = static_cast<std::size_t>(namedByStart_[static_cast<std::size_t>(v)]);
    const auto last = static_cast<std::size_t>(namedByStart_[static_cast<std::size_t>(v) + 1]);
    for (std::size_t k = first; k < last; ++k) {
        const VertexIndex u = namedBy_[k];
        if (ring_->test(u) && regionOf(u) >= 0) touch(regionOf(u), u);
    }
}

// Queues a region for this round; entry (or -1) is a member whose row names
// a new ring vertex.
void DirectedRingRegions::touch(std::int32_t region, VertexIndex entry) {
    Region& r = regions_[static_cast<std::size_t>(region)];
    if (r.touchedIn != round_) {
        r.touchedIn = round_;
        r.firstEntry = -1;
        events_.push({r.seed, region});
    }
    if (entry >= 0) {
        entries_.push_back({entry, r.firstEntry});
        r.firstEntry = static_cast<std::int32_t>(entries_.size() - 1);
    }
}

// Whether the region seeded with `seed` may take ring vertex w now: w is in
// no region or in one that comes later.
bool DirectedRingRegions::claimable(VertexIndex w, VertexIndex seed) const {
    if (!ring_->test(w)) return false;
    const std::int32_t r = regionOf(w);
    return r == kFree || regions_[static_cast<std::size_t>(r)].seed < seed;
}

void DirectedRingRegions::claim(std::int32_t region, VertexIndex w) {
    const std::int32_t previous = regionOf(w);
    if (previous >= 0) {
        Region& loser = regions_[static_cast<std::size_t>(previous)];
        --loser.size;
        if (w == loser.seed) loser.lostSeed = true;
        touch(previous, -1);
    }
    regionOf_->set(w, region);
    ++regions_[static_cast<std::size_t>(region)].size;
    queue_.push_back(w);
}

// Takes, breadth first, what the vertices in the queue reach.
void DirectedRingRegions::growFromQueue(std::int32_t region) {
    const VertexIndex seed = regions_[static_cast<std::size_t>(region)].seed;
    for (std::size_t i = 0; i < queue_.size(); ++i) {
        const VertexIndex u = queue_[i];
        const std::int32_t* row = mesh_.neighbours[u];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[u]; ++j) {
            if (claimable(row[j], seed)) claim(region, row[j]);
        }
    }
}

void DirectedRingRegions::seedRegion(VertexIndex seed) {
    const auto id = static_cast<std::int32_t>(regions_.size());
    Region& r = regions_.emplace_back();
    r.seed = seed;
    r.touchedIn = r.grownIn = round_;
    ++alive_;
    queue_.clear();
    claim(id, seed);
    growFromQueue(id);
    offer(id);
}

void DirectedRingRegions::growRegion(std::int32_t region) {
    Region& r = regions_[static_cast<std::size_t>(region)];
    r.grownIn = round_;
    if (r.lostSeed) {
        // An earlier region took its seed, and with it all the seed reached.
        r.alive = false;
        --alive_;
        return;
    }
    queue_.clear();
    for (std::int32_t e = r.firstEntry; e >= 0; e = entries_[static_cast<std::size_t>(e)].next) {
        const VertexIndex u = entries_[static_cast<std::size_t>(e)].member;
        if (!ring_->test(u) || regionOf(u) != region) continue;
        const std::int32_t* row = mesh_.neighbours[u];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[u]; ++j) {
            if (claimable(row[j], r.seed)) claim(region, row[j]);
        }
    }
    growFromQueue(region);
    offer(region);
}

// Works through the queued changes in seed order, highest first, as
// splitIntoPatches meets its seeds.
void DirectedRingRegions::settle() {
    while (!events_.empty()) {
        const Event event = events_.top();
        events_.pop();
        if (event.region < 0) {
            if (ring_->test(event.value) && regionOf(event.value) == kFree) seedRegion(event.value);
            continue;
        }
        const Region& r = regions_[static_cast<std::size_t>(event.region)];
        if (r.alive && r.grownIn != round_) growRegion(event.region);
    }
    entries_.clear();
}

void DirectedRingRegions::offer(std::int32_t region) {
    const Region& r = regions_[static_cast<std::size_t>(region)];
    heap_.push_back({r.size, r.seed, region});
    std::push_heap(heap_.begin(), heap_.end(), later);
}

void DirectedRingRegions::start(const VertexList& set) {
    for (VertexIndex v : set) member_->insert(v);
    for (VertexIndex v : set) {
        const std::int32_t* row = mesh_.neighbours[v];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[v]; ++j) {
            const VertexIndex w = row[j];
            if (!member_->test(w) && ring_->insert(w)) addToRing(w);
        }
    }
    settle();
}

void DirectedRingRegions::absorbSmallest(VertexList& set) {
    const auto isCurrent = [&](const Candidate& c) {
        const Region& r = regions_[static_cast<std::size_t>(c.region)];
        return r.alive && r.size == c.size;
    };
    while (!isCurrent(heap_.front())) {
        std::pop_heap(heap_.begin(), heap_.end(), later);
        heap_.pop_back();
    }
    const std::int32_t region = heap_.front().region;
    std::pop_heap(heap_.begin(), heap_.end(), later);
    heap_.pop_back();
    Region& r = regions_[static_cast<std::size_t>(region)];
    r.alive = false;
    --alive_;

    // The region in splitIntoPatches order: its seed, then ring by ring
    // through its own vertices (all that it reaches among the vertices not
    // taken before it).
    queue_.assign(1, r.seed);
    member_->insert(r.seed);
    ring_->erase(r.seed);
    for (std::size_t i = 0; i < queue_.size(); ++i) {
        const VertexIndex u = queue_[i];
        const std::int32_t* row = mesh_.neighbours[u];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[u]; ++j) {
            const VertexIndex w = row[j];
            if (ring_->test(w) && regionOf(w) == region) {
                member_->insert(w);
                ring_->erase(w);
                queue_.push_back(w);
            }
        }
    }
    set.insert(set.end(), queue_.begin(), queue_.end());

    // The region's neighbours that were neither in the set nor in the ring
    // join the ring.
    ++round_;
    const std::size_t regionEnd = set.size();
    for (std::size_t i = regionEnd - queue_.size(); i < regionEnd; ++i) {
        const VertexIndex u = set[i];
        const std::int32_t* row = mesh_.neighbours[u];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[u]; ++j) {
            const VertexIndex w = row[j];
            if (!member_->test(w) && ring_->insert(w)) addToRing(w);
        }
    }
    settle();
}

}  // namespace tessarin

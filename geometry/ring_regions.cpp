#include "geometry/ring_regions.h"

#include <algorithm>

#include "geometry/row_prefetch.h"

namespace tessarin {

bool RingRegions::later(const Candidate& a, const Candidate& b) {
    return a.size != b.size ? a.size > b.size : a.top < b.top;
}

RingRegions::RingRegions(const SurfaceMesh& mesh)
    : mesh_(mesh),
      member_(mesh.nrOfVertices),
      ring_(mesh.nrOfVertices),
      pending_(mesh.nrOfVertices),
      slotOf_(mesh.nrOfVertices) {}

void RingRegions::joinRing(VertexIndex v) {
    const auto slot = static_cast<std::int32_t>(parent_.size());
    ring_->insert(v);
    slotOf_->set(v, slot);
    parent_.push_back(slot);
    size_.push_back(1);
    top_.push_back(v);
    absorbed_.push_back(0);
    ++components_;
}

std::int32_t RingRegions::find(std::int32_t slot) {
    while (parent_[static_cast<std::size_t>(slot)] != slot) {
        auto& parent = parent_[static_cast<std::size_t>(slot)];
        parent = parent_[static_cast<std::size_t>(parent)];
        slot = parent;
    }
    return slot;
}

void RingRegions::unite(std::int32_t a, std::int32_t b) {
    a = find(a);
    b = find(b);
    if (a == b) return;
    if (size_[static_cast<std::size_t>(a)] < size_[static_cast<std::size_t>(b)]) std::swap(a, b);
    parent_[static_cast<std::size_t>(b)] = a;
    size_[static_cast<std::size_t>(a)] += size_[static_cast<std::size_t>(b)];
    top_[static_cast<std::size_t>(a)] = std::max(top_[static_cast<std::size_t>(a)], top_[static_cast<std::size_t>(b)]);
    --components_;
}

// Rows are mutual, so v's own row names every ring vertex that names v.
void RingRegions::linkToRing(VertexIndex v) {
    const std::int32_t slot = slotOf_->get(v);
    const std::int32_t* row = mesh_.neighbours[v];
    for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[v]; ++j) {
        const VertexIndex w = row[j];
        if (ring_->test(w)) unite(slot, slotOf_->get(w));
    }
}

void RingRegions::linkFresh() {
    const RowPrefetcher prefetch(mesh_);
    for (std::size_t i = 0; i < fresh_.size(); ++i) {
        prefetch.ahead(fresh_, i);
        linkToRing(fresh_[i]);
    }
    // Offer each region that the new vertices formed or changed, once.
    roots_.clear();
    for (VertexIndex v : fresh_) roots_.push_back(find(slotOf_->get(v)));
    std::sort(roots_.begin(), roots_.end());
    roots_.erase(std::unique(roots_.begin(), roots_.end()), roots_.end());
    for (std::int32_t root : roots_) {
        const auto r = static_cast<std::size_t>(root);
        heap_.push_back({size_[r], top_[r], root});
        std::push_heap(heap_.begin(), heap_.end(), later);
    }
}

bool RingRegions::isCurrent(const Candidate& candidate) const {
    const auto r = static_cast<std::size_t>(candidate.root);
    return parent_[r] == candidate.root && !absorbed_[r] && size_[r] == candidate.size && top_[r] == candidate.top;
}

void RingRegions::start(const VertexList& set) {
    for (VertexIndex v : set) member_->insert(v);
    fresh_.clear();
    const RowPrefetcher prefetch(mesh_);
    for (std::size_t i = 0; i < set.size(); ++i) {
        prefetch.ahead(set, i);
        const VertexIndex v = set[i];
        const std::int32_t* row = mesh_.neighbours[v];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[v]; ++j) {
            const VertexIndex w = row[j];
            if (!member_->test(w) && !ring_->test(w)) {
                joinRing(w);
                fresh_.push_back(w);
            }
        }
    }
    linkFresh();
}

void RingRegions::absorbSmallest(VertexList& set) {
    Candidate chosen = heap_.front();
    while (!isCurrent(chosen)) {
        std::pop_heap(heap_.begin(), heap_.end(), later);
        heap_.pop_back();
        chosen = heap_.front();
    }
    std::pop_heap(heap_.begin(), heap_.end(), later);
    heap_.pop_back();
    absorbed_[static_cast<std::size_t>(chosen.root)] = 1;
    --components_;

    // The region in splitIntoPatches order: its highest vertex, then ring by
    // ring, the appended part of the set serving as the queue. It is a whole
    // component, so the walk through ring vertices reaches exactly its
    // vertices. The same rows name the region's neighbours that are neither
    // in the set nor in the ring: they join the ring once the walk is done
    // (joining now would let the walk take them).
    const RowPrefetcher prefetch(mesh_);
    const std::size_t regionBegin = set.size();
    ring_->erase(chosen.top);
    member_->insert(chosen.top);
    set.push_back(chosen.top);
    fresh_.clear();
    pending_->reset(mesh_.nrOfVertices);
    for (std::size_t i = regionBegin; i < set.size(); ++i) {
        prefetch.ahead(set, i);
        const VertexIndex u = set[i];
        const std::int32_t* row = mesh_.neighbours[u];
        for (std::int32_t j = 0; j < mesh_.nrOfNeighbours[u]; ++j) {
            const VertexIndex w = row[j];
            if (ring_->test(w)) {
                ring_->erase(w);
                member_->insert(w);
                set.push_back(w);
            } else if (!member_->test(w) && pending_->insert(w)) {
                fresh_.push_back(w);
            }
        }
    }
    for (VertexIndex w : fresh_) joinRing(w);
    linkFresh();
}

}  // namespace tessarin

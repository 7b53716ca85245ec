#include "geometry/overlap.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "geometry/distinct_ascending.h"
#include "geometry/one_ring.h"
#include "geometry/row_prefetch.h"
#include "geometry/vertex_bits.h"
#include "geometry/vertex_marks.h"

namespace tessarin {

namespace {

std::size_t recordCount(const POIFile& file) {
    return static_cast<std::size_t>(std::clamp<std::int64_t>(file.NrOfPOIs, 0, static_cast<std::int64_t>(file.POIs.size())));
}

// Compact ids 0 .. k - 1 for the distinct values of a key list. The overlap
// operations see no mesh, so they cannot size per-vertex marks from it: the
// marks cover the keys' own value range when that is no wider than the mesh
// or a few times the input (the normal case), and sorted keys with binary
// search serve any other values (negative, or spread over the int32 range).
class KeyIds {
public:
    KeyIds(const VertexList& keys, std::int64_t denseWidth) {
        if (keys.empty()) return;
        const auto [lo, hi] = std::minmax_element(keys.begin(), keys.end());
        lo_ = *lo;
        const std::int64_t width = std::int64_t{*hi} - std::int64_t{*lo} + 1;
        if (width <= denseWidth) {
            width_ = width;
            dense_.emplace(static_cast<std::int32_t>(width));
            for (VertexIndex v : keys) {
                if (!(*dense_)->isSet(v - lo_)) (*dense_)->set(v - lo_, size_++);
            }
        } else {
            sorted_ = keys;
            std::sort(sorted_.begin(), sorted_.end());
            sorted_.erase(std::unique(sorted_.begin(), sorted_.end()), sorted_.end());
            size_ = static_cast<std::int32_t>(sorted_.size());
        }
    }

    std::int32_t size() const { return size_; }

    // The id of v, or -1 when v is not a key.
    std::int32_t find(VertexIndex v) {
        if (dense_) {
            const std::int64_t offset = std::int64_t{v} - lo_;
            if (offset < 0 || offset >= width_) return -1;
            const auto index = static_cast<VertexIndex>(offset);
            return (*dense_)->isSet(index) ? (*dense_)->get(index) : -1;
        }
        const auto it = std::lower_bound(sorted_.begin(), sorted_.end(), v);
        return it != sorted_.end() && *it == v ? static_cast<std::int32_t>(it - sorted_.begin()) : -1;
    }

private:
    std::int32_t size_ = 0;
    std::int32_t lo_ = 0;
    std::int64_t width_ = 0;
    std::optional<ScratchMarks> dense_;
    VertexList sorted_;
};

// How wide a value range may be before marks would cost more than sorting.
std::int64_t denseWidthFor(const POIFile& file, std::size_t entries) {
    const std::int64_t width = std::max<std::int64_t>(file.NrOfMeshVertices, 4 * static_cast<std::int64_t>(entries) + 1024);
    return std::min<std::int64_t>(width, INT32_MAX);
}

}  // namespace

VertexList findOverlapVertices(const POIFile& file) {
    const std::size_t records = recordCount(file);
    std::size_t entries = 0;
    std::int64_t lo = INT32_MAX, hi = INT32_MIN;
    for (std::size_t i = 0; i < records; ++i) {
        const VertexList& list = file.POIs[i].Vertices;
        entries += list.size();
        for (VertexIndex v : list) lo = std::min<std::int64_t>(lo, v), hi = std::max<std::int64_t>(hi, v);
    }
    VertexList overlap;
    if (entries == 0) return overlap;

    if (hi - lo + 1 > denseWidthFor(file, entries)) {
        // Values far apart: sort them all and pick the repeats.
        VertexList all;
        all.reserve(entries);
        for (std::size_t i = 0; i < records; ++i) {
            all.insert(all.end(), file.POIs[i].Vertices.begin(), file.POIs[i].Vertices.end());
        }
        std::sort(all.begin(), all.end());
        for (std::size_t j = 1; j < all.size(); ++j) {
            if (all[j] == all[j - 1] && (overlap.empty() || overlap.back() != all[j])) overlap.push_back(all[j]);
        }
        return overlap;
    }

    // Two bits per vertex of the range, "seen" and "seen again": 40 KB for a
    // 160,000-vertex mesh, so the look-ups stay in cache, clearing them costs
    // next to nothing, and reading the second set word by word yields the
    // overlap already ascending.
    const auto width = static_cast<std::size_t>(hi - lo + 1);
    const auto base = static_cast<std::int32_t>(lo);
    std::vector<std::uint64_t> seen((width + 63) / 64, 0), again((width + 63) / 64, 0);
    for (std::size_t i = 0; i < records; ++i) {
        for (VertexIndex v : file.POIs[i].Vertices) {
            const auto offset = static_cast<std::uint32_t>(v - base);
            const std::uint64_t bit = std::uint64_t{1} << (offset % 64);
            std::uint64_t& once = seen[offset / 64];
            again[offset / 64] |= once & bit;
            once |= bit;
        }
    }
    for (std::size_t word = 0; word < again.size(); ++word) {
        for (std::uint64_t bits = again[word]; bits != 0; bits &= bits - 1) {
            const int index = __builtin_ctzll(bits);
            overlap.push_back(base + static_cast<std::int32_t>(word * 64 + static_cast<std::size_t>(index)));
        }
    }
    return overlap;
}

void removeOverlapVertices(POIFile& file, const VertexList& overlap) {
    const std::size_t records = recordCount(file);
    if (!overlap.empty()) {
        KeyIds ids(overlap, denseWidthFor(file, overlap.size()));
        const auto k = static_cast<std::size_t>(ids.size());
        // How many occurrences each record loses of a vertex: one per listing.
        std::vector<std::int32_t> allowance(k, 0);
        for (VertexIndex v : overlap) ++allowance[static_cast<std::size_t>(ids.find(v))];
        // Removed so far, valid for the record named in removedIn.
        std::vector<std::int32_t> removed(k, 0);
        std::vector<std::size_t> removedIn(k, records);
        for (std::size_t i = 0; i < records; ++i) {
            VertexList& list = file.POIs[i].Vertices;
            // One stable compaction pass: dropping the first occurrences in
            // order of the list is what removing them one at a time leaves.
            std::size_t out = 0;
            for (VertexIndex v : list) {
                const std::int32_t id = ids.find(v);
                if (id >= 0) {
                    const auto s = static_cast<std::size_t>(id);
                    if (removedIn[s] != i) removedIn[s] = i, removed[s] = 0;
                    if (removed[s] < allowance[s]) {
                        ++removed[s];
                        continue;
                    }
                }
                list[out++] = v;
            }
            list.resize(out);
        }
    }
    for (std::size_t i = 0; i < records; ++i) {
        file.POIs[i].NrOfVertices = static_cast<std::int32_t>(file.POIs[i].Vertices.size());
    }
}

void redistributeVertices(POIFile& file, VertexList remaining, const SurfaceMesh& mesh) {
    const std::size_t records = recordCount(file);

    // The remaining list is only ever asked "does v occur?", "use up one
    // occurrence of v" and "how long are you?", so counts per distinct vertex
    // stand in for it; the order of what is left is never read.
    ScratchMarks slotOf(mesh.nrOfVertices);
    std::vector<std::int32_t> count;
    for (VertexIndex v : remaining) {
        if (!slotOf->isSet(v)) {
            slotOf->set(v, static_cast<std::int32_t>(count.size()));
            count.push_back(0);
        }
        ++count[static_cast<std::size_t>(slotOf->get(v))];
    }
    std::size_t left = remaining.size();

    // Which records hold each remaining vertex, so that "is w outside record
    // i?" needs no per-record marks. Typically one or two records per vertex,
    // kept as short lists threaded through one pool: a list per vertex would
    // cost an allocation per vertex, which the Windows heap makes dear.
    struct Holder {
        std::int32_t record;
        std::int32_t next;  // -1 ends the list
    };
    std::vector<std::int32_t> firstHolder(count.size(), -1);
    std::vector<Holder> holders;
    const auto addHolder = [&](std::size_t slot, std::int32_t record) {
        std::int32_t& first = firstHolder[slot];
        if (first >= 0 && holders[static_cast<std::size_t>(first)].record == record) return;
        holders.push_back({record, first});
        first = static_cast<std::int32_t>(holders.size() - 1);
    };
    if (left > 0) {
        for (std::size_t i = 0; i < records; ++i) {
            for (VertexIndex v : file.POIs[i].Vertices) {
                if (slotOf->isSet(v)) addHolder(static_cast<std::size_t>(slotOf->get(v)), static_cast<std::int32_t>(i));
            }
        }
    }
    const auto holds = [&](std::size_t slot, std::int32_t record) {
        for (std::int32_t h = firstHolder[slot]; h >= 0; h = holders[static_cast<std::size_t>(h)].next) {
            if (holders[static_cast<std::size_t>(h)].record == record) return true;
        }
        return false;
    };

    // Vertices with an occurrence left, as bits: most neighbours a pass looks
    // at are not among them, and bits answer that from the fastest caches.
    ScratchBits available(mesh.nrOfVertices);
    for (VertexIndex v : remaining) available->insert(v);

    // After a record's turn, no vertex of its ring is left in remaining; its
    // next ring can only gain vertices next to what it just took. So after
    // the first pass a record looks only at the rows of its last takings.
    std::vector<VertexList> lastTaken(records);
    ScratchBits seen(mesh.nrOfVertices);
    const RowPrefetcher prefetch(mesh);
    VertexList candidates;
    std::size_t previous = 0;
    for (bool firstPass = true;; firstPass = false) {
        if (left == 0 || left == previous) break;
        previous = left;
        for (std::size_t i = 0; i < records; ++i) {
            VertexList& vertices = file.POIs[i].Vertices;
            const auto record = static_cast<std::int32_t>(i);
            if (firstPass) {
                candidates = getOuterRing(vertices, mesh);
            } else {
                candidates.clear();
                seen->reset(mesh.nrOfVertices);
                const VertexList& taken = lastTaken[i];
                for (std::size_t k = 0; k < taken.size(); ++k) {
                    prefetch.ahead(taken, k);
                    const VertexIndex a = taken[k];
                    const std::int32_t* row = mesh.neighbours[a];
                    for (std::int32_t j = 0; j < mesh.nrOfNeighbours[a]; ++j) {
                        const VertexIndex w = row[j];
                        if (!available->test(w) || !seen->insert(w)) continue;
                        if (!holds(static_cast<std::size_t>(slotOf->get(w)), record)) candidates.push_back(w);
                    }
                }
                sortDistinctAscending(candidates);
            }
            VertexList& taken = lastTaken[i];
            taken.clear();
            for (VertexIndex w : candidates) {
                if (!available->test(w)) continue;
                const auto slot = static_cast<std::size_t>(slotOf->get(w));
                if (--count[slot] == 0) available->erase(w);
                --left;
                addHolder(slot, record);
                vertices.push_back(w);
                taken.push_back(w);
            }
        }
    }
    for (std::size_t i = 0; i < records; ++i) {
        file.POIs[i].NrOfVertices = static_cast<std::int32_t>(file.POIs[i].Vertices.size());
    }
}

}  // namespace tessarin

// Visiting the samples of one vertex along its normal and filing the vertex
// under every VOI a sample falls into: the inner loop of the VOI mapping.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/sample_offsets.h"
#include "geometry/uniform_blocks.h"
#include "geometry/vertex_list.h"
#include "geometry/voi_label_volume.h"

namespace tessarin {

// After this many samples in a row in one cell, a side tries to jump ahead
// to where the cell can next change. Unit normals sampled every 0.1 leave a
// cell within about ten samples and never jump; short normals, whose
// samples crawl through a cell for thousands of offsets, jump at once.
constexpr int kRunBeforeJump = 64;

// Visits the samples of one vertex and files the vertex under every VOI hit.
template <typename Label>
class VertexSampler {
public:
    VertexSampler(const VoiLabelVolume& volume, const Label* labels, std::vector<VertexList>& results)
        : volume_(volume),
          labels_(labels),
          results_(results),
          sizeX_(volume.sizeX()),
          sizeY_(volume.sizeY()),
          sizeZ_(volume.sizeZ()),
          size_{sizeX_, sizeY_, sizeZ_} {}

    // Starts the samples of a vertex; finish() files it.
    void start(VertexIndex vertex, const float (&position)[3], const float (&normal)[3]) {
        vertex_ = vertex;
        for (int a = 0; a < 3; ++a) p_[a] = position[a], n_[a] = normal[a];
        cells_.clear();
    }

    // Ends the samples of the current vertex. Which cells a vertex meets does
    // not depend on their labels, so its labels are only asked for now, and
    // read when the next vertex finishes: the reads that miss the cache then
    // overlap with the next vertex's work instead of stalling it. Vertices
    // are still filed in the order they come, as the lists need.
    void finish() {
        for (std::size_t cell : cells_) __builtin_prefetch(labels_ + cell);
        fileWaiting();
        std::swap(cells_, waitingCells_);
        waitingVertex_ = vertex_;
    }

    // Files the vertex still waiting; call after the last finish().
    void flush() {
        fileWaiting();
        waitingCells_.clear();
    }

    // Samples offset s; returns false when the sample lies outside. The cell
    // of an inside sample is left in cell_. A sample in the cell `skip`
    // (the one just visited) is located but not looked up again.
    bool sample(float s, const std::int32_t (&skip)[3]) {
        if (!locate(s)) return false;
        if (!sameCell(skip)) fileUnderCell();
        return true;
    }

    // Samples the offsets sign * dist[i] for i = first .. end - 1 (dist
    // ascending), with the same result as sampling each in turn.
    //
    // Each coordinate of the sample moves one way only as the distance
    // grows (every rounding step is monotonic), so the cells met form a
    // monotonic path, and two distances whose samples share a cell enclose
    // only samples in that cell. After each new cell the walk proposes the
    // last listed distance that should still lie in it and checks that one
    // sample exactly: when it does, the distances in between are skipped.
    // Once a coordinate is outside the volume and moving further out, no
    // later sample can come back in.
    //
    // Returns true when it stopped because no later sample on this side can
    // be inside.
    //
    // With uniform blocks given, a sample in a block of one label proposes
    // the last distance still in the largest such block around it instead:
    // every sample in it can only add what the first one added.
    bool walkListed(const float* dist, std::size_t first, std::size_t end, float sign) {
        const CellExit exit = cellExitFor(sign);
        const double perDistance = 1.0 / static_cast<double>(dist[0]);  // dist[k] is about (k + 1) * dist[0]
        std::int32_t last[3] = {-1, -1, -1};
        for (std::size_t i = first; i < end;) {
            if (!sample(sign * dist[i], last)) {
                if (leavingForGood(sign)) return true;
                ++i;
                continue;
            }
            for (int a = 0; a < 3; ++a) last[a] = cell_[a];
            const int shift = blocks_ != nullptr ? blocks_->uniformShift(cell_) : 0;
            const double reach = shift > 0 ? exit.reachOfBlock(cell_, size_, shift) : exit.reach(cell_);
            const std::size_t j = lastListedWithin(dist, i, end, reach, perDistance);
            if (j > i && locate(sign * dist[j]) &&
                (sameCell(last) || (shift > 0 && UniformBlocks::sameBlock(cell_, last, shift)))) {
                for (int a = 0; a < 3; ++a) last[a] = cell_[a];
                i = j + 1;
            } else {
                ++i;
            }
        }
        return false;
    }

    // Lets walkListed cross uniform blocks in one step (null: cell by cell).
    // Precondition: built from the labels this sampler reads; outlives it.
    void useBlocks(const UniformBlocks* blocks) { blocks_ = blocks; }

    // Samples the offsets sign * d for the distances d from first up to
    // limit, in ascending order of d.
    void sampleSide(OffsetSequence& offsets, float first, double limit, float sign) {
        float d = first;
        int run = 0;
        bool inside = false;
        std::int32_t previous[3] = {0, 0, 0};
        do {
            if (static_cast<double>(d) > limit) return;
            const bool nowInside = sample(sign * d);
            if (nowInside && inside && sameCell(previous)) {
                if (++run >= kRunBeforeJump) {
                    run = 0;
                    jumpWithinCell(offsets, d, limit, sign);
                }
            } else {
                run = 0;
                inside = nowInside;
                for (int a = 0; a < 3; ++a) previous[a] = cell_[a];
            }
        } while (offsets.next(d));
    }

    bool sample(float s) {
        static constexpr std::int32_t kNoCell[3] = {-1, -1, -1};
        return sample(s, kNoCell);
    }

private:
    // Puts the sample of offset s into cell_ (its coordinates into
    // coordinate_); false when it lies outside the volume.
    bool locate(float s) {
        // Kept as separate single-precision operations in this order; the
        // build forbids contracting them into fused multiply-adds.
        const float x = p_[0] + s * n_[0];
        const float y = p_[1] + s * n_[1];
        const float z = p_[2] + s * n_[2];
        coordinate_[0] = x, coordinate_[1] = y, coordinate_[2] = z;
        // Truncation lands in 0 .. size - 1 exactly when -1 < value < size;
        // testing that first (false for NaN) means only coordinates with an
        // int32 value are ever converted.
        if (!(x > -1.0f && static_cast<double>(x) < sizeX_)) return false;
        if (!(y > -1.0f && static_cast<double>(y) < sizeY_)) return false;
        if (!(z > -1.0f && static_cast<double>(z) < sizeZ_)) return false;
        cell_[0] = static_cast<std::int32_t>(x), cell_[1] = static_cast<std::int32_t>(y);
        cell_[2] = static_cast<std::int32_t>(z);
        return true;
    }

    // Notes cell_ for finish().
    void fileUnderCell() { cells_.push_back(volume_.cellIndex(cell_[0], cell_[1], cell_[2])); }

    // Files the waiting vertex under every VOI of the cells its samples met.
    void fileWaiting() {
        std::uint32_t lastLabel = 0;
        for (std::size_t cell : waitingCells_) {
            const std::uint32_t label = labels_[cell];
            // Neighbouring cells mostly hold the same set of VOIs, which has
            // already received this vertex.
            if (label == 0 || label == lastLabel) continue;
            lastLabel = label;
            for (const std::int32_t* k = volume_.membersBegin(label); k != volume_.membersEnd(label); ++k) {
                // Vertices come in ascending order, so "not yet added" is "not
                // the last entry": every list stays ascending and repeat-free.
                VertexList& list = results_[static_cast<std::size_t>(*k)];
                if (list.empty() || list.back() != waitingVertex_) list.push_back(waitingVertex_);
            }
        }
    }

    // After an outside sample: whether some coordinate is beyond the volume
    // and moving further away (or not moving), so that every later sample
    // on this side is outside too.
    bool leavingForGood(float sign) const {
        const double size[3] = {sizeX_, sizeY_, sizeZ_};
        for (int a = 0; a < 3; ++a) {
            const float velocity = sign * n_[a];
            if (coordinate_[a] <= -1.0f && !(velocity > 0.0f)) return true;
            if (static_cast<double>(coordinate_[a]) >= size[a] && !(velocity < 0.0f)) return true;
        }
        return false;
    }

    // Where one side's samples leave a cell, by estimate: for each axis the
    // distance at which the coordinate reaches the cell's edge in its
    // direction of travel, less a margin for the roundings of the sample.
    struct CellExit {
        double position[3], inverse[3], margin[3];
        bool moving[3];

        double reach(const std::int32_t (&cell)[3]) const {
            double nearest = HUGE_VAL;
            for (int a = 0; a < 3; ++a) {
                if (!moving[a]) continue;
                // Cell c covers [c, c + 1), cell 0 also (-1, 0).
                const double edge = inverse[a] > 0 ? cell[a] + 1.0 : (cell[a] == 0 ? -1.0 : static_cast<double>(cell[a]));
                nearest = std::min(nearest, (edge - position[a]) * inverse[a] - margin[a]);
            }
            return nearest;
        }

        // The same for the aligned block of 2^shift cells a side that holds
        // `cell` (cut at the volume's far faces).
        double reachOfBlock(const std::int32_t (&cell)[3], const double (&size)[3], int shift) const {
            double nearest = HUGE_VAL;
            for (int a = 0; a < 3; ++a) {
                if (!moving[a]) continue;
                const std::int32_t low = cell[a] >> shift << shift;
                const double edge = inverse[a] > 0 ? std::min(low + static_cast<double>(1 << shift), size[a])
                                                   : (low == 0 ? -1.0 : static_cast<double>(low));
                nearest = std::min(nearest, (edge - position[a]) * inverse[a] - margin[a]);
            }
            return nearest;
        }
    };

    CellExit cellExitFor(float sign) const {
        CellExit exit{};
        const double size[3] = {sizeX_, sizeY_, sizeZ_};
        for (int a = 0; a < 3; ++a) {
            const double velocity = static_cast<double>(sign) * n_[a];
            exit.moving[a] = velocity != 0.0;
            if (!exit.moving[a]) continue;
            exit.position[a] = p_[a];
            exit.inverse[a] = 1.0 / velocity;
            exit.margin[a] = (std::fabs(exit.position[a]) + size[a] + 3.0) * 0x1p-18 * std::fabs(exit.inverse[a]);
        }
        return exit;
    }

    // The largest i' in [i, end) with dist[i'] <= reach, or i when there is
    // none; guessed from the spacing first, searched when the guess misses.
    static std::size_t lastListedWithin(const float* dist, std::size_t i, std::size_t end, double reach,
                                        double perDistance) {
        if (!(reach >= static_cast<double>(dist[i]))) return i;
        const double guess = reach * perDistance - 1.0;
        if (guess >= static_cast<double>(i) && guess < static_cast<double>(end)) {
            const auto g = static_cast<std::size_t>(guess);
            if (static_cast<double>(dist[g]) <= reach && (g + 1 == end || reach < static_cast<double>(dist[g + 1]))) {
                return g;
            }
        }
        const float* beyond = std::upper_bound(dist + i, dist + end, reach,
                                               [](double r, float d) { return r < static_cast<double>(d); });
        return static_cast<std::size_t>(beyond - dist) - 1;
    }

    bool sameCell(const std::int32_t (&other)[3]) const {
        return cell_[0] == other[0] && cell_[1] == other[1] && cell_[2] == other[2];
    }

    // Moves d, whose sample lies in cell_, as far as possible while the
    // sample provably stays in cell_. Each coordinate's cell only ever moves
    // one way as d grows (every rounding step is monotonic), so when a later
    // distance samples the same cell, so does every distance in between:
    // skipping them changes nothing. The estimate of where the cell ends only
    // proposes the later distance; the check against the exact sample decides.
    void jumpWithinCell(OffsetSequence& offsets, float& d, double limit, float sign) {
        const std::int32_t here[3] = {cell_[0], cell_[1], cell_[2]};
        const double target = std::min(limit, cellExitFor(sign).reach(here));
        float candidate = 0.0f;
        if (target <= d || !offsets.lastAtMost(target, candidate) || candidate <= d) return;
        const bool stillInside = sample(sign * candidate);
        const bool same = stillInside && sameCell(here);
        for (int a = 0; a < 3; ++a) cell_[a] = here[a];
        if (same) d = candidate;
    }

    const VoiLabelVolume& volume_;
    const Label* labels_;
    std::vector<VertexList>& results_;
    double sizeX_, sizeY_, sizeZ_;
    double size_[3];
    const UniformBlocks* blocks_ = nullptr;
    VertexIndex vertex_ = 0;
    float p_[3] = {0, 0, 0}, n_[3] = {0, 0, 0};
    std::int32_t cell_[3] = {0, 0, 0};
    float coordinate_[3] = {0, 0, 0};  // of the last sample, inside or not
    std::vector<std::size_t> cells_;         // met by the current vertex's samples
    std::vector<std::size_t> waitingCells_;  // met by the vertex finished last, not filed yet
    VertexIndex waitingVertex_ = 0;
};

}  // namespace tessarin

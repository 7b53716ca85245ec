#include "geometry/voi_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geometry/sample_offsets.h"
#include "geometry/voi_label_volume.h"

namespace tessarin {

namespace {

constexpr std::int64_t kCentre = 128;

void markVoxels(VoiLabelVolume& volume, const VoxelGrid& grid, const VoxelTriples& voxels) {
    const bool centred = grid.coordsType == 3;
    const bool flipped = grid.orientationCode == 2;
    for (std::int32_t i = 0; i < voxels.count; ++i) {
        // 64-bit, because 128 - c overflows int32 for the most negative c.
        const std::int64_t c0 = voxels.data[3 * static_cast<std::size_t>(i)];
        const std::int64_t c1 = voxels.data[3 * static_cast<std::size_t>(i) + 1];
        const std::int64_t c2 = voxels.data[3 * static_cast<std::size_t>(i) + 2];
        if (centred) {
            volume.mark(kCentre - c1, kCentre - c2, flipped ? c0 + kCentre : kCentre - c0);
        } else {
            volume.mark(c0, c1, c2);
        }
    }
}

// The offsets s at which a vertex's samples can possibly lie inside the
// volume: a closed interval, widened so that it never excludes an offset
// whose exact single-precision sample is inside.
struct OffsetWindow {
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    bool bounded = false;  // some axis has a non-zero normal component
};

// Narrows the window by one axis, where the sample is p + s * n with
// p = coordinate + 0.5f. Returns false when no sample can be inside.
bool narrowByAxis(float p, float n, std::int32_t size, OffsetWindow& window) {
    // An infinite or NaN position or normal makes every sample coordinate
    // infinite or NaN (0 * inf is NaN), hence outside.
    if (!std::isfinite(p) || !std::isfinite(n)) return false;
    const double position = p;
    if (n == 0.0f) {
        // s * 0 is a zero for every finite offset: the coordinate is p itself.
        return position > -1.0 && position < size;
    }
    // Inside means -1 < x < size for x = fl(p + fl(s * n)). Each rounding is
    // within 2^-24 relative of values no larger than |p| + size + 2, and the
    // double arithmetic here errs far less, so a slack of 2^-20 of that
    // magnitude (plus a little for subnormal products) keeps the bound safe;
    // an offset let in needlessly is simply evaluated and found outside.
    const double slack = (std::fabs(position) + size + 2.0) * 0x1p-20 + 1e-30;
    const double low = (-1.0 - position - slack) / n;
    const double high = (size - position + slack) / n;
    double lo = std::min(low, high), hi = std::max(low, high);
    lo -= std::fabs(lo) * 0x1p-20;
    hi += std::fabs(hi) * 0x1p-20;
    window.lo = std::max(window.lo, lo);
    window.hi = std::min(window.hi, hi);
    window.bounded = true;
    return true;
}

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
        : volume_(volume), labels_(labels), results_(results), sizeX_(volume.sizeX()), sizeY_(volume.sizeY()),
          sizeZ_(volume.sizeZ()) {}

    void start(VertexIndex vertex, const float (&position)[3], const float (&normal)[3]) {
        vertex_ = vertex;
        for (int a = 0; a < 3; ++a) p_[a] = position[a], n_[a] = normal[a];
        lastLabel_ = 0;
    }

    // Samples offset s; returns false when the sample lies outside. The cell
    // of an inside sample is left in cell_.
    bool sample(float s) {
        // Kept as separate single-precision operations in this order; the
        // build forbids contracting them into fused multiply-adds.
        const float x = p_[0] + s * n_[0];
        const float y = p_[1] + s * n_[1];
        const float z = p_[2] + s * n_[2];
        // Truncation lands in 0 .. size - 1 exactly when -1 < value < size;
        // testing that first (false for NaN) means only coordinates with an
        // int32 value are ever converted.
        if (!(x > -1.0f && static_cast<double>(x) < sizeX_)) return false;
        if (!(y > -1.0f && static_cast<double>(y) < sizeY_)) return false;
        if (!(z > -1.0f && static_cast<double>(z) < sizeZ_)) return false;
        cell_[0] = static_cast<std::int32_t>(x), cell_[1] = static_cast<std::int32_t>(y);
        cell_[2] = static_cast<std::int32_t>(z);
        const std::uint32_t label = labels_[volume_.cellIndex(cell_[0], cell_[1], cell_[2])];
        // Neighbouring offsets mostly fall into the same cell or the same set
        // of VOIs, which has already received this vertex.
        if (label == 0 || label == lastLabel_) return true;
        lastLabel_ = label;
        for (const std::int32_t* k = volume_.membersBegin(label); k != volume_.membersEnd(label); ++k) {
            // Vertices come in ascending order, so "not yet added" is "not the
            // last entry": every list stays ascending and repeat-free.
            VertexList& list = results_[static_cast<std::size_t>(*k)];
            if (list.empty() || list.back() != vertex_) list.push_back(vertex_);
        }
        return true;
    }

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

private:
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
        double target = limit;
        for (int a = 0; a < 3; ++a) {
            const double velocity = static_cast<double>(sign) * n_[a];
            if (velocity == 0.0) continue;
            const double position = p_[a];
            // Cell c covers [c, c + 1), cell 0 also (-1, 0).
            const double edge = velocity > 0 ? here[a] + 1.0 : (here[a] == 0 ? -1.0 : static_cast<double>(here[a]));
            const double margin = (std::fabs(position) + std::fabs(edge) + 2.0) * 0x1p-18;
            target = std::min(target, (edge - position) / velocity - margin / std::fabs(velocity));
        }
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
    VertexIndex vertex_ = 0;
    float p_[3] = {0, 0, 0}, n_[3] = {0, 0, 0};
    std::int32_t cell_[3] = {0, 0, 0};
    std::uint32_t lastLabel_ = 0;
};

// Samples every vertex at offset 0 and at those running sums, on each side,
// that both the range and the vertex's window allow. Which offsets exist is
// decided by the running sum alone; the window only skips offsets whose
// samples are certainly outside, so the result is the full range's result.
template <typename Label>
void sampleVertices(const VoiLabelVolume& volume, const Label* labels, const SurfaceMesh& mesh, float from,
                    float to, OffsetSequence& offsets, std::vector<VertexList>& results) {
    VertexSampler<Label> sampler(volume, labels, results);
    const float towards = to;     // positive offsets reach up to this
    const float against = -from;  // negative offsets reach down to minus this
    const bool anyDistances = offsets.hasDistances();
    for (VertexIndex j = 0; j < mesh.nrOfVertices; ++j) {
        const float position[3] = {mesh.vertexX[j] + 0.5f, mesh.vertexY[j] + 0.5f, mesh.vertexZ[j] + 0.5f};
        const float normal[3] = {mesh.normalX[j], mesh.normalY[j], mesh.normalZ[j]};
        OffsetWindow window;
        if (!narrowByAxis(position[0], normal[0], volume.sizeX(), window) ||
            !narrowByAxis(position[1], normal[1], volume.sizeY(), window) ||
            !narrowByAxis(position[2], normal[2], volume.sizeZ(), window)) {
            continue;
        }
        sampler.start(j, position, normal);
        sampler.sample(0.0f);
        // A zero normal puts every finite offset's sample where offset 0's is.
        if (!anyDistances || !window.bounded) continue;
        float first = 0.0f;
        // NaN bounds fail these comparisons: no offsets on that side.
        if (towards >= offsets.first()) {
            const double limit = std::min(window.hi, static_cast<double>(towards));
            const double begin = std::max(window.lo, 0.0);
            if (begin <= limit && offsets.firstAtLeast(begin, first)) sampler.sampleSide(offsets, first, limit, 1.0f);
        }
        if (against >= offsets.first()) {
            const double limit = std::min(-window.lo, static_cast<double>(against));
            const double begin = std::max(-window.hi, 0.0);
            if (begin <= limit && offsets.firstAtLeast(begin, first)) sampler.sampleSide(offsets, first, limit, -1.0f);
        }
    }
}

}  // namespace

std::vector<VertexList> mapVOIsToVertices(std::int32_t nrOfVOIs, const VoxelGrid& grid, const SurfaceMesh& mesh,
                                          float from, float to, float step, const VoxelFetcher& fetchVoxels) {
    if (nrOfVOIs <= 0) return {};
    VoiLabelVolume volume(grid.dimX, grid.dimY, grid.dimZ);
    // The host hands out one VOI's voxels at a time, valid until the next
    // request, so each VOI is folded into the labels before the next fetch.
    for (std::int32_t k = nrOfVOIs - 1; k >= 0; --k) {
        const VoxelTriples voxels = fetchVoxels(k);
        volume.beginVoi(k);
        if (voxels.data != nullptr) markVoxels(volume, grid, voxels);
    }
    std::vector<VertexList> results(static_cast<std::size_t>(nrOfVOIs));
    if (mesh.nrOfVertices <= 0 || volume.hasNoVoxels() || volume.isAllEmpty()) return results;
    OffsetSequence offsets(step);
    if (const std::uint16_t* narrow = volume.narrowLabels()) {
        sampleVertices(volume, narrow, mesh, from, to, offsets, results);
    } else {
        sampleVertices(volume, volume.wideLabels(), mesh, from, to, offsets, results);
    }
    return results;
}

}  // namespace tessarin

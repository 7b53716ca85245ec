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

// Visits the samples of one vertex and files the vertex under every VOI hit.
template <typename Label>
class VertexSampler {
public:
    VertexSampler(const VoiLabelVolume& volume, const Label* labels, std::vector<VertexList>& results)
        : volume_(volume), labels_(labels), results_(results), sizeX_(volume.sizeX()), sizeY_(volume.sizeY()),
          sizeZ_(volume.sizeZ()) {}

    void start(VertexIndex vertex, float px, float py, float pz, float nx, float ny, float nz) {
        vertex_ = vertex;
        px_ = px, py_ = py, pz_ = pz, nx_ = nx, ny_ = ny, nz_ = nz;
        lastLabel_ = 0;
    }

    void sample(float s) {
        // Kept as separate single-precision operations in this order; the
        // build forbids contracting them into fused multiply-adds.
        const float x = px_ + s * nx_;
        const float y = py_ + s * ny_;
        const float z = pz_ + s * nz_;
        // Truncation lands in 0 .. size - 1 exactly when -1 < value < size;
        // testing that first (false for NaN) means only coordinates with an
        // int32 value are ever converted.
        if (!(x > -1.0f && static_cast<double>(x) < sizeX_)) return;
        if (!(y > -1.0f && static_cast<double>(y) < sizeY_)) return;
        if (!(z > -1.0f && static_cast<double>(z) < sizeZ_)) return;
        const std::uint32_t label = labels_[volume_.cellIndex(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                                                              static_cast<std::int32_t>(z))];
        // Neighbouring offsets mostly fall into the same cell or the same set
        // of VOIs, which has already received this vertex.
        if (label == 0 || label == lastLabel_) return;
        lastLabel_ = label;
        for (const std::int32_t* k = volume_.membersBegin(label); k != volume_.membersEnd(label); ++k) {
            // Vertices come in ascending order, so "not yet added" is "not the
            // last entry": every list stays ascending and repeat-free.
            VertexList& list = results_[static_cast<std::size_t>(*k)];
            if (list.empty() || list.back() != vertex_) list.push_back(vertex_);
        }
    }

private:
    const VoiLabelVolume& volume_;
    const Label* labels_;
    std::vector<VertexList>& results_;
    double sizeX_, sizeY_, sizeZ_;
    VertexIndex vertex_ = 0;
    float px_ = 0, py_ = 0, pz_ = 0, nx_ = 0, ny_ = 0, nz_ = 0;
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
    const float towards = to;      // positive offsets reach up to this
    const float against = -from;   // negative offsets reach down to minus this
    const bool anyDistances = offsets.hasDistances();
    for (VertexIndex j = 0; j < mesh.nrOfVertices; ++j) {
        const float px = mesh.vertexX[j] + 0.5f, py = mesh.vertexY[j] + 0.5f, pz = mesh.vertexZ[j] + 0.5f;
        const float nx = mesh.normalX[j], ny = mesh.normalY[j], nz = mesh.normalZ[j];
        OffsetWindow window;
        if (!narrowByAxis(px, nx, volume.sizeX(), window) || !narrowByAxis(py, ny, volume.sizeY(), window) ||
            !narrowByAxis(pz, nz, volume.sizeZ(), window)) {
            continue;
        }
        sampler.start(j, px, py, pz, nx, ny, nz);
        sampler.sample(0.0f);
        // A zero normal puts every finite offset's sample where offset 0's is.
        if (!anyDistances || !window.bounded) continue;
        float d = 0.0f;
        // NaN bounds fail these comparisons: no offsets on that side.
        if (towards >= offsets.first()) {
            const double limit = std::min(window.hi, static_cast<double>(towards));
            const double begin = std::max(window.lo, 0.0);
            if (begin <= limit && offsets.firstAtLeast(begin, d)) {
                do {
                    if (static_cast<double>(d) > limit) break;
                    sampler.sample(d);
                } while (offsets.next(d));
            }
        }
        if (against >= offsets.first()) {
            const double limit = std::min(-window.lo, static_cast<double>(against));
            const double begin = std::max(-window.hi, 0.0);
            if (begin <= limit && offsets.firstAtLeast(begin, d)) {
                do {
                    if (static_cast<double>(d) > limit) break;
                    sampler.sample(-d);
                } while (offsets.next(d));
            }
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

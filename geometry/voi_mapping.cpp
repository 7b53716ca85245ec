#include "geometry/voi_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "geometry/sample_offsets.h"
#include "geometry/uniform_blocks.h"
#include "geometry/vertex_sampler.h"
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

// How many distances are listed up front. Ranges that need more (or normals
// so short that a voxel spans thousands of distances) go on, past the list,
// with the sequence's own look-up.
constexpr std::size_t kListedDistances = 1 << 16;

// Ranges of more distances than this (8 mm at step 0.1 along unit normals)
// look for uniform blocks of the volume first.
constexpr std::size_t kDistancesWorthBlocks = 80;

// The distances of one side that lie in [begin, limit], walked through the
// list first and through the sequence beyond its end.
template <typename Label>
void sampleSide(VertexSampler<Label>& sampler, OffsetSequence& offsets, const std::vector<float>& listed,
                bool listComplete, double begin, double limit, float sign) {
    const auto atLeast = [](float d, double v) { return static_cast<double>(d) < v; };
    const auto atMost = [](double v, float d) { return v < static_cast<double>(d); };
    const auto first = static_cast<std::size_t>(std::lower_bound(listed.begin(), listed.end(), begin, atLeast) - listed.begin());
    const auto end = static_cast<std::size_t>(std::upper_bound(listed.begin(), listed.end(), limit, atMost) - listed.begin());
    if (first < end && sampler.walkListed(listed.data(), first, end, sign)) return;
    if (end < listed.size() || listComplete) return;
    float next = 0.0f;
    if (first < listed.size()) {
        next = listed.back();
        if (!offsets.next(next)) return;
    } else if (!offsets.firstAtLeast(begin, next)) {
        return;
    }
    sampler.sampleSide(offsets, next, limit, sign);
}

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
    // NaN bounds fail these comparisons: no offsets on that side.
    const bool anyTowards = anyDistances && towards >= offsets.first();
    const bool anyAgainst = anyDistances && against >= offsets.first();
    double reach = 0.0;
    if (anyTowards) reach = std::max(reach, static_cast<double>(towards));
    if (anyAgainst) reach = std::max(reach, static_cast<double>(against));
    const std::vector<float> listed = offsets.distancesUpTo(reach, kListedDistances);
    const bool listComplete = listed.size() < kListedDistances;
    // Long ranges send samples across much of the volume, where large parts
    // (outside the brain, inside the white matter) hold one label: worth
    // finding once, when the walks are long enough to cross such blocks.
    std::optional<UniformBlocks> blocks;
    if (listed.size() > kDistancesWorthBlocks) {
        blocks.emplace(labels, volume.sizeX(), volume.sizeY(), volume.sizeZ());
        sampler.useBlocks(&*blocks);
    }
    // A vertex whose offset-0 sample is inside walks each side from its
    // first distance until it leaves; only one outside the volume needs the
    // window to find where its samples could enter.
    const auto countUpTo = [&](double limit) {
        return static_cast<std::size_t>(std::upper_bound(listed.begin(), listed.end(), limit,
                                                         [](double v, float d) { return v < static_cast<double>(d); }) -
                                        listed.begin());
    };
    const std::int32_t sizes[3] = {volume.sizeX(), volume.sizeY(), volume.sizeZ()};
    const std::size_t towardsCount = anyTowards ? countUpTo(towards) : 0;
    const std::size_t againstCount = anyAgainst ? countUpTo(against) : 0;
    // Past the end of the list (very long ranges with short normals), on
    // through the sequence, as far as the window lets samples be inside.
    const auto continueSide = [&](std::size_t count, double reachOfSide, float sign, const float (&position)[3],
                                  const float (&normal)[3]) {
        if (count < listed.size() || listComplete) return;
        OffsetWindow window;
        for (int a = 0; a < 3; ++a) narrowByAxis(position[a], normal[a], sizes[a], window);
        const double limit = std::min(sign > 0 ? window.hi : -window.lo, reachOfSide);
        float next = listed.back();
        if (offsets.next(next)) sampler.sampleSide(offsets, next, limit, sign);
    };
    // The samples of one vertex, offset 0 first.
    const auto sampleVertex = [&](const float (&position)[3], const float (&normal)[3]) {
        if (sampler.sample(0.0f)) {
            // Inside at offset 0: every coordinate and normal is finite.
            // A zero normal puts every finite offset's sample where offset 0's is.
            if (normal[0] == 0.0f && normal[1] == 0.0f && normal[2] == 0.0f) return;
            if (towardsCount > 0 && !sampler.walkListed(listed.data(), 0, towardsCount, 1.0f)) {
                continueSide(towardsCount, towards, 1.0f, position, normal);
            }
            if (againstCount > 0 && !sampler.walkListed(listed.data(), 0, againstCount, -1.0f)) {
                continueSide(againstCount, against, -1.0f, position, normal);
            }
            return;
        }
        OffsetWindow window;
        for (int a = 0; a < 3; ++a) {
            if (!narrowByAxis(position[a], normal[a], sizes[a], window)) return;
        }
        if (!window.bounded) return;
        if (anyTowards) {
            const double limit = std::min(window.hi, static_cast<double>(towards));
            const double begin = std::max(window.lo, 0.0);
            if (begin <= limit) sampleSide(sampler, offsets, listed, listComplete, begin, limit, 1.0f);
        }
        if (anyAgainst) {
            const double limit = std::min(-window.lo, static_cast<double>(against));
            const double begin = std::max(-window.hi, 0.0);
            if (begin <= limit) sampleSide(sampler, offsets, listed, listComplete, begin, limit, -1.0f);
        }
    };
    for (VertexIndex j = 0; j < mesh.nrOfVertices; ++j) {
        const float position[3] = {mesh.vertexX[j] + 0.5f, mesh.vertexY[j] + 0.5f, mesh.vertexZ[j] + 0.5f};
        const float normal[3] = {mesh.normalX[j], mesh.normalY[j], mesh.normalZ[j]};
        sampler.start(j, position, normal);
        sampleVertex(position, normal);
        sampler.finish();
    }
    sampler.flush();
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
    if (const std::uint8_t* labels = volume.labels8()) {
        sampleVertices(volume, labels, mesh, from, to, offsets, results);
    } else if (const std::uint16_t* wider = volume.labels16()) {
        sampleVertices(volume, wider, mesh, from, to, offsets, results);
    } else {
        sampleVertices(volume, volume.labels32(), mesh, from, to, offsets, results);
    }
    return results;
}

}  // namespace tessarin

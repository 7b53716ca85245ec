// The VOI mapping, fast against literal, on a brain-sized scene: a
// 163,842-vertex sphere in a 181 x 217 x 181 volume with 100 VOIs on its
// surface, sampled from -1 to 3 in steps of 0.1 (40 offsets). Also the
// endless and huge ranges on the 40,962-vertex sphere.
//
// After the benchmarks it prints the time ratio of each literal case to its
// fast case, and the peak heap use of one fast mapping (everything the call
// allocates, results included; the scene itself is not counted).
//
//   bench/voi_mapping_bench                  all cases, ratios, peak heap
//   bench/voi_mapping_bench --rss-only       one fast mapping of the large
//                                            scene, then the process's peak
//                                            resident size (scene included)
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <random>
#include <string>

#include "geometry/mesh_shapes.h"
#include "geometry/voi_mapping.h"
#include "tests/support/reference_mapping.h"

// ---- Heap accounting: every operator new/delete of the process goes
// through here, so a call's own peak is the peak minus the level before it.
namespace {
std::atomic<std::size_t> heapInUse{0};
std::atomic<std::size_t> heapPeak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* countedAlloc(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (block == nullptr) return nullptr;
    std::memcpy(block, &size, sizeof size);
    const std::size_t now = heapInUse.fetch_add(size) + size;
    std::size_t peak = heapPeak.load();
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void countedFree(void* pointer) {
    if (pointer == nullptr) return;
    void* block = static_cast<char*>(pointer) - kHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    heapInUse.fetch_sub(size);
    std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = countedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return countedAlloc(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { countedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { countedFree(p); }

namespace tessarin {
namespace {

struct Scene {
    VoxelGrid grid;
    MeshData mesh;
    testing::VoiStore vois;
};

// VOIs as blocks of 11 to 31 voxels a side centred near the sphere surface,
// so that they overlap each other and the mesh as cortical VOIs would.
Scene makeScene(int subdivisions, int nrOfVOIs) {
    Scene scene;
    scene.grid.dimX = 181, scene.grid.dimY = 217, scene.grid.dimZ = 181;
    const float cx = 90, cy = 108, cz = 90, radius = 70;
    scene.mesh = makeIcosphere(subdivisions, radius, cx, cy, cz);
    std::mt19937 random(2024);
    std::normal_distribution<float> gauss;
    std::uniform_int_distribution<int> half(5, 15);
    std::uniform_real_distribution<float> shell(radius - 6, radius + 6);
    for (int k = 0; k < nrOfVOIs; ++k) {
        float ux = gauss(random), uy = gauss(random), uz = gauss(random);
        const float length = std::sqrt(ux * ux + uy * uy + uz * uz);
        const float r = shell(random);
        const int x0 = int(cx + r * ux / length), y0 = int(cy + r * uy / length), z0 = int(cz + r * uz / length);
        const int hx = half(random), hy = half(random), hz = half(random);
        std::vector<std::int32_t> triples;
        for (int z = z0 - hz; z <= z0 + hz; ++z)
            for (int y = y0 - hy; y <= y0 + hy; ++y)
                for (int x = x0 - hx; x <= x0 + hx; ++x) triples.insert(triples.end(), {x, y, z});
        scene.vois.vois.push_back(std::move(triples));
    }
    return scene;
}

const Scene& largeScene() {
    static const Scene scene = makeScene(7, 100);
    return scene;
}
const Scene& mediumScene() {
    static const Scene scene = makeScene(6, 100);
    return scene;
}

using MapFunction = std::vector<VertexList> (*)(std::int32_t, const VoxelGrid&, const SurfaceMesh&, float, float,
                                                float, const VoxelFetcher&);

void runMapping(benchmark::State& state, const Scene& scene, MapFunction map, float from, float to) {
    testing::VoiStore store = scene.vois;
    const SurfaceMesh view = scene.mesh.view();
    std::size_t entries = 0;
    for (auto _ : state) {
        const auto lists = map(store.count(), scene.grid, view, from, to, 0.1f, store.fetcher());
        entries = 0;
        for (const VertexList& list : lists) entries += list.size();
        benchmark::DoNotOptimize(entries);
    }
    state.counters["vertices"] = double(scene.mesh.nrOfVertices());
    state.counters["vois"] = double(store.count());
    state.counters["entries"] = double(entries);
}

// Heap peak of one fast mapping, in bytes above the level before the call.
std::size_t fastMappingPeak(const Scene& scene, float from, float to) {
    testing::VoiStore store = scene.vois;
    const SurfaceMesh view = scene.mesh.view();
    const VoxelFetcher fetcher = store.fetcher();
    const std::size_t before = heapInUse.load();
    heapPeak.store(before);
    const auto lists = mapVOIsToVertices(store.count(), scene.grid, view, from, to, 0.1f, fetcher);
    benchmark::DoNotOptimize(lists.data());
    return heapPeak.load() - before;
}

// Collects the CPU and real time per iteration of every case, by the name
// it was registered under, for the ratios printed at the end. CPU time is the
// steadier figure on a machine shared with other work.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double cpu = 0, real = 0;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                times[run.run_name.function_name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Times> times;
};

}  // namespace
}  // namespace tessarin

int main(int argc, char** argv) {
    using namespace tessarin;
    const float inf = std::numeric_limits<float>::infinity();
    if (argc > 1 && std::strcmp(argv[1], "--rss-only") == 0) {
        const Scene& scene = largeScene();
        rusage before{};
        getrusage(RUSAGE_SELF, &before);
        testing::VoiStore store = scene.vois;
        const auto lists = mapVOIsToVertices(store.count(), scene.grid, scene.mesh.view(), -1, 3, 0.1f, store.fetcher());
        rusage after{};
        getrusage(RUSAGE_SELF, &after);
        std::printf("max RSS before mapping (scene): %.1f MB, after one fast mapping: %.1f MB (%zu lists)\n",
                    before.ru_maxrss / 1024.0, after.ru_maxrss / 1024.0, lists.size());
        return 0;
    }

    struct Case {
        const char* name;
        const Scene& (*scene)();
        MapFunction map;
        float from, to;
    };
    const Case cases[] = {
        {"fast/sphere163842_voi100_from-1_to3", largeScene, mapVOIsToVertices, -1, 3},
        {"reference/sphere163842_voi100_from-1_to3", largeScene, testing::referenceMapVOIsToVertices, -1, 3},
        {"fast/sphere40962_voi100_from-1_to3", mediumScene, mapVOIsToVertices, -1, 3},
        {"reference/sphere40962_voi100_from-1_to3", mediumScene, testing::referenceMapVOIsToVertices, -1, 3},
        {"fast/sphere40962_voi100_from-1e7_to1e7", mediumScene, mapVOIsToVertices, -1e7f, 1e7f},
        {"fast/sphere40962_voi100_from-inf_toinf", mediumScene, mapVOIsToVertices, -inf, inf},
    };
    for (const Case& c : cases) {
        const bool literal = c.map != static_cast<MapFunction>(mapVOIsToVertices);
        auto* b = benchmark::RegisterBenchmark(c.name, [c](benchmark::State& state) {
            runMapping(state, c.scene(), c.map, c.from, c.to);
        });
        b->Unit(benchmark::kMillisecond)->UseRealTime();
        if (literal) b->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nLiteral / fast time ratios (CPU time; real time in brackets):\n");
    for (const auto& [name, time] : reporter.times) {
        if (name.rfind("reference/", 0) != 0) continue;
        const std::string fast = "fast/" + name.substr(std::strlen("reference/"));
        const auto found = reporter.times.find(fast);
        if (found != reporter.times.end()) {
            std::printf("  %-40s %8.1f x  (%.1f x)\n", fast.c_str() + 5, time.cpu / found->second.cpu,
                        time.real / found->second.real);
        }
    }
    std::printf("\nPeak heap of one fast mapping (lists included):\n");
    std::printf("  sphere163842_voi100_from-1_to3           %8.1f MB\n", fastMappingPeak(largeScene(), -1, 3) / 1048576.0);
    std::printf("  sphere40962_voi100_from-1e7_to1e7        %8.1f MB\n",
                fastMappingPeak(mediumScene(), -1e7f, 1e7f) / 1048576.0);
    std::printf("  sphere40962_voi100_from-inf_toinf        %8.1f MB\n", fastMappingPeak(mediumScene(), -inf, inf) / 1048576.0);
    benchmark::Shutdown();
    return 0;
}

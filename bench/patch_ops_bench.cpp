// Every vertex-set operation against its literal version on a 163,842-vertex
// sphere, with patches of 1,000 to 20,000 vertices. After the usual table it
// prints the ratio literal / fast for each operation and patch size.
//
//   cmake --build build --target patch_ops_bench && ./build/bench/patch_ops_bench
//
// Pass --benchmark_filter=/10000 (or any other filter) to run a subset.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>

#include "geometry/mesh_shapes.h"
#include "geometry/one_ring.h"
#include "geometry/overlap.h"
#include "geometry/patch_cleanup.h"
#include "geometry/patch_connectivity.h"
#include "tests/support/patch_test_cases.h"
#include "tests/support/reference_patch_ops.h"

namespace tessarin {
namespace {

const MeshData& sphere() {
    static const MeshData mesh = makeIcosphere(7, 80.0f, 0.0f, 0.0f, 0.0f);
    return mesh;
}

// The first `size` vertices reached breadth-first from seed.
VertexList ball(const MeshData& mesh, std::int32_t seed, std::int32_t size) {
    std::vector<char> seen(mesh.x.size(), 0);
    VertexList out{seed};
    seen[static_cast<std::size_t>(seed)] = 1;
    for (std::size_t i = 0; i < out.size() && static_cast<std::int32_t>(out.size()) < size; ++i) {
        for (std::int32_t w : mesh.neighbours[static_cast<std::size_t>(out[i])]) {
            if (!seen[static_cast<std::size_t>(w)] && static_cast<std::int32_t>(out.size()) < size) {
                seen[static_cast<std::size_t>(w)] = 1;
                out.push_back(w);
            }
        }
    }
    return out;
}

// A POI as the mapping makes it: ascending, about `size` vertices, with
// scattered one-vertex holes in its inner half (2 % of those vertices).
VertexList holeyPatch(std::int32_t seed, std::int32_t size) {
    const VertexList full = ball(sphere(), seed, size);
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::bernoulli_distribution drop(0.02);
    VertexList patch;
    for (std::size_t i = 0; i < full.size(); ++i) {
        if (i > 0 && i < full.size() / 2 && drop(rng)) continue;
        patch.push_back(full[i]);
    }
    std::sort(patch.begin(), patch.end());
    return patch;
}

// The holey patch plus three small blobs elsewhere: four patches to measure.
VertexList scatteredPatch(std::int32_t size) {
    VertexList list = holeyPatch(1000, size);
    for (std::int32_t seed : {90000, 120000, 150000}) {
        const VertexList blob = ball(sphere(), seed, 50);
        list.insert(list.end(), blob.begin(), blob.end());
    }
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return list;
}

// Four overlapping POIs of `size` vertices each: every ball is seeded half
// way into the previous one, so about half of each is shared.
POIFile overlappingPOIs(std::int32_t size) {
    std::vector<VertexList> lists;
    std::int32_t seed = 1000;
    for (int i = 0; i < 4; ++i) {
        VertexList list = ball(sphere(), seed, size);
        seed = list[list.size() / 2];
        std::sort(list.begin(), list.end());
        lists.push_back(std::move(list));
    }
    return testing::makePOIFile(lists);
}

using Operation = std::function<void(benchmark::State&, std::int32_t, bool)>;

// One benchmark per operation, patch size and version ("fast" or "literal").
void registerOperation(const std::string& name, const Operation& op) {
    for (std::int32_t size : {1000, 5000, 10000, 20000}) {
        for (bool literal : {false, true}) {
            const std::string full = name + (literal ? "/literal/" : "/fast/") + std::to_string(size);
            benchmark::RegisterBenchmark(full.c_str(), [op, size, literal](benchmark::State& state) {
                op(state, size, literal);
            })->Unit(benchmark::kMillisecond)->MinTime(0.3);
        }
    }
}

void registerAll() {
    registerOperation("splitIntoPatches", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = scatteredPatch(size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            benchmark::DoNotOptimize(literal ? reference::splitIntoPatches(list, mesh) : splitIntoPatches(list, mesh));
        }
    });
    registerOperation("patchArea", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = holeyPatch(1000, size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            benchmark::DoNotOptimize(literal ? reference::patchArea(list, mesh) : patchArea(list, mesh));
        }
    });
    registerOperation("keepLargestPatch", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = scatteredPatch(size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            VertexList work = list;
            benchmark::DoNotOptimize(literal ? reference::keepLargestPatch(work, mesh) : keepLargestPatch(work, mesh));
        }
    });
    registerOperation("getOuterRing", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = holeyPatch(1000, size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            benchmark::DoNotOptimize(literal ? reference::getOuterRing(list, mesh) : getOuterRing(list, mesh));
        }
    });
    registerOperation("getBoundaryVertices", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = holeyPatch(1000, size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            benchmark::DoNotOptimize(literal ? reference::getBoundaryVertices(list, mesh)
                                             : getBoundaryVertices(list, mesh));
        }
    });
    registerOperation("fillPatchHoles", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = holeyPatch(1000, size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            VertexList work = list;
            literal ? reference::fillPatchHoles(work, mesh) : fillPatchHoles(work, mesh);
            benchmark::DoNotOptimize(work.data());
        }
    });
    registerOperation("smoothPatchEdges(3)", [](benchmark::State& state, std::int32_t size, bool literal) {
        const VertexList list = holeyPatch(1000, size);
        const SurfaceMesh mesh = sphere().view();
        for (auto _ : state) {
            VertexList work = list;
            literal ? reference::smoothPatchEdges(work, 3, mesh) : smoothPatchEdges(work, 3, mesh);
            benchmark::DoNotOptimize(work.data());
        }
    });
    registerOperation("findOverlapVertices", [](benchmark::State& state, std::int32_t size, bool literal) {
        POIFile file = overlappingPOIs(size);
        file.NrOfMeshVertices = sphere().nrOfVertices();
        for (auto _ : state) {
            benchmark::DoNotOptimize(literal ? reference::findOverlapVertices(file) : findOverlapVertices(file));
        }
    });
    registerOperation("removeOverlapVertices", [](benchmark::State& state, std::int32_t size, bool literal) {
        POIFile file = overlappingPOIs(size);
        file.NrOfMeshVertices = sphere().nrOfVertices();
        const VertexList overlap = findOverlapVertices(file);
        for (auto _ : state) {
            POIFile work = file;
            literal ? reference::removeOverlapVertices(work, overlap) : removeOverlapVertices(work, overlap);
            benchmark::DoNotOptimize(work.POIs.data());
        }
    });
    registerOperation("redistributeVertices", [](benchmark::State& state, std::int32_t size, bool literal) {
        POIFile file = overlappingPOIs(size);
        file.NrOfMeshVertices = sphere().nrOfVertices();
        const VertexList overlap = findOverlapVertices(file);
        removeOverlapVertices(file, overlap);
        const SurfaceMesh mesh = sphere().view();
        state.counters["handedOut"] = static_cast<double>(overlap.size());
        for (auto _ : state) {
            POIFile work = file;
            literal ? reference::redistributeVertices(work, overlap, mesh) : redistributeVertices(work, overlap, mesh);
            benchmark::DoNotOptimize(work.POIs.data());
        }
    });
}

// The console table as usual, plus the times kept for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            // CPU time: the machine may be shared, and wall time then counts
            // the other processes too.
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find("/min_time:"));
            times_[name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatios() const {
        std::printf("\nliteral / fast CPU time ratio\n%-24s %10s %10s %10s %10s\n", "operation", "1000", "5000", "10000", "20000");
        std::map<std::string, std::map<std::string, double>> table;
        for (const auto& [name, fastTime] : times_) {
            const auto at = name.find("/fast/");
            if (at == std::string::npos) continue;
            const std::string op = name.substr(0, at), size = name.substr(at + 6);
            const auto literal = times_.find(op + "/literal/" + size);
            if (literal != times_.end() && fastTime > 0) table[op][size] = literal->second / fastTime;
        }
        for (const auto& [op, ratios] : table) {
            std::printf("%-24s", op.c_str());
            for (const char* size : {"1000", "5000", "10000", "20000"}) {
                const auto found = ratios.find(size);
                if (found == ratios.end()) {
                    std::printf(" %10s", "-");
                } else {
                    std::printf(" %10.0f", found->second);
                }
            }
            std::printf("\n");
        }
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace
}  // namespace tessarin

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    tessarin::registerAll();
    tessarin::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}

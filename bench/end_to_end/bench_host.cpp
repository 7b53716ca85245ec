// The exported host functions of the benchmark program. They are kept as
// thin as the real host's, so the time between two log entries is the
// plug-in's own work.
#include "bench/end_to_end/bench_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

#include <algorithm>
#include <cstring>

#include "shell/host_api.h"

#if defined(_WIN32)
#define ZK_HOST_EXPORT __declspec(dllexport)
#else
#define ZK_HOST_EXPORT __attribute__((visibility("default")))
#endif
#define ZK_DECLARE_HOST_FUNCTION(result, name, params, args) extern "C" ZK_HOST_EXPORT result name params;
ZK_CALLED_HOST_FUNCTIONS(ZK_DECLARE_HOST_FUNCTION)
#undef ZK_DECLARE_HOST_FUNCTION

namespace tessarin::bench {

#if defined(_WIN32)
// Windows counts a thread's CPU time in scheduler ticks, too coarse for
// phases of milliseconds: there the clock is the performance counter.
Clock::time_point Clock::now() noexcept {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const std::int64_t seconds = counter.QuadPart / frequency.QuadPart;
    const std::int64_t rest = counter.QuadPart % frequency.QuadPart;
    return time_point(duration(seconds * 1000000000 + rest * 1000000000 / frequency.QuadPart));
}
#else
Clock::time_point Clock::now() noexcept {
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return time_point(duration(std::int64_t{cpu.tv_sec} * 1000000000 + cpu.tv_nsec));
}
#endif

namespace {

HostState* active = nullptr;
int currentDocument = 1;
// The SRF's adjacency as the host record wants it (mutable row pointers),
// all rows in one block, as a host that reads them from a file has them.
std::vector<std::int32_t> neighbourCounts;
std::vector<std::int32_t*> neighbourRows;
std::vector<std::int32_t> neighbourBlock;

void copyText(char* field, std::size_t size, const std::string& text) {
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

void setHostState(HostState* state) {
    active = state;
    currentDocument = 1;
    neighbourCounts.clear();
    neighbourRows.clear();
    neighbourBlock.clear();
    if (state == nullptr) return;
    // The host owns these arrays for the whole run; building them here keeps
    // the work out of the timed run.
    const auto& neighbours = state->scene->mesh.neighbours;
    for (const auto& row : neighbours) {
        neighbourCounts.push_back(static_cast<std::int32_t>(row.size()));
        neighbourBlock.insert(neighbourBlock.end(), row.begin(), row.end());
    }
    std::size_t at = 0;
    for (const auto& row : neighbours) {
        neighbourRows.push_back(neighbourBlock.data() + at);
        at += row.size();
    }
}

}  // namespace tessarin::bench

using tessarin::bench::active;

int32_t zkGetVersionOfZevkalon(int32_t* major, int32_t* minor, int32_t* third) {
    *major = 2, *minor = 4, *third = 1;
    return 1;
}
int32_t zkShowLogTab(void) { return 1; }
int32_t zkLogText(const char* text) {
    if (active != nullptr) active->log.push_back({tessarin::bench::Clock::now(), text == nullptr ? "" : text});
    return 1;
}
int32_t zkMessageBox(const char* text) {
    if (active != nullptr) active->messages.push_back(text == nullptr ? "" : text);
    return 1;
}
int32_t zkGetNumberOfDocsInWorkspace(void) { return 2; }
int32_t zkGetDocumentType(int32_t document) {
    return document == 0 ? ZK_DOCUMENT_TYPE_VMR : document == 1 ? ZK_DOCUMENT_TYPE_SRF : -1;
}
int32_t zkSetAsCurrentDocument(int32_t document) {
    tessarin::bench::currentDocument = document;
    return 1;
}
int32_t zkGetVOIs(VOIsInfo* info) {
    std::memset(info, 0, sizeof *info);
    if (active == nullptr) return 0;
    info->NrOfVOIs = static_cast<int32_t>(active->scene->vois.size());
    tessarin::bench::copyText(info->FileName, sizeof info->FileName, active->voiFileName);
    info->CoordsType = 0;
    return 1;
}
const int32_t* zkGetVOI(int32_t voi, VOIInfo* info) {
    std::memset(info, 0, sizeof *info);
    if (active == nullptr || voi < 0 || static_cast<std::size_t>(voi) >= active->scene->vois.size()) return nullptr;
    const tessarin::bench::SceneVOI& data = active->scene->vois[static_cast<std::size_t>(voi)];
    info->NrOfVoxels = static_cast<int32_t>(data.voxels.size() / 3);
    tessarin::bench::copyText(info->Name, sizeof info->Name, data.name);
    info->Color = data.color;
    return data.voxels.data();
}
int32_t zkGetMainHeaderOfCurrentVMR(VMRHeader* header) {
    std::memset(header, 0, sizeof *header);
    if (active == nullptr) return 0;
    header->DimX = active->scene->dims[0], header->DimY = active->scene->dims[1], header->DimZ = active->scene->dims[2];
    return 1;
}
int32_t zkGetCurrentSRF(SRFInfo* srf) {
    std::memset(srf, 0, sizeof *srf);
    if (active == nullptr) return 0;
    auto& mesh = const_cast<tessarin::bench::BrainScene*>(active->scene)->mesh;
    srf->NrOfVertices = mesh.nrOfVertices();
    srf->NrOfTriangles = mesh.nrOfTriangles();
    srf->VertexX = mesh.x.data(), srf->VertexY = mesh.y.data(), srf->VertexZ = mesh.z.data();
    srf->NormalX = mesh.nx.data(), srf->NormalY = mesh.ny.data(), srf->NormalZ = mesh.nz.data();
    srf->Triangles = mesh.triangles.data();
    srf->NrOfNeighbours = tessarin::bench::neighbourCounts.data();
    srf->Neighbours = tessarin::bench::neighbourRows.data();
    srf->FileName = const_cast<char*>(active->meshFileName.c_str());
    return 1;
}
float zkGetFloatParameter(const char* name) {
    if (active == nullptr) return 0.0f;
    const auto found = active->floatParameters.find(name);
    return found == active->floatParameters.end() ? 0.0f : found->second;
}
int32_t zkGetIntParameter(const char* name) {
    if (active == nullptr) return 0;
    const auto found = active->intParameters.find(name);
    return found == active->intParameters.end() ? 0 : found->second;
}
int32_t zkLoadPOIs(const char* path) {
    if (active != nullptr) active->loadRequests.push_back(path == nullptr ? "" : path);
    return 1;
}

// A fake host module: the host functions answer from a scripted scene and
// record every call. Compiled several times: FAKE_HOST_VERSION_ONLY keeps
// only zkGetVersionOfZevkalon, FAKE_HOST_WITHOUT_VERSION drops it.
#include <algorithm>
#include <cstring>

#include "tests/fake_host/fake_host.h"

#if defined(_WIN32)
#define FAKE_HOST_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_HOST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if defined(FAKE_HOST_VERSION_ONLY) && defined(FAKE_HOST_WITHOUT_VERSION)
#error "choose at most one variant"
#endif

using fakehost::Call;
using fakehost::FakeHost;

namespace {

// Heap-held and cleared by a static guard, so that a plug-in that logs from
// its own static destructors after this module's were run (process exit)
// finds a null instance instead of a destroyed one.
FakeHost* instance = nullptr;

struct InstanceLifetime {
    InstanceLifetime() { instance = new FakeHost(); }
    ~InstanceLifetime() {
        delete instance;
        instance = nullptr;
    }
    InstanceLifetime(const InstanceLifetime&) = delete;
    InstanceLifetime& operator=(const InstanceLifetime&) = delete;
} instanceLifetime;

void record(const char* function, const char* text = nullptr, std::vector<std::int32_t> ints = {}) {
    if (instance == nullptr) return;
    Call call;
    call.function = function;
    if (text != nullptr || std::strcmp(function, "zkLogText") == 0 ||
        std::strcmp(function, "zkMessageBox") == 0) {
        call.text = text != nullptr ? text : "(null)";
    }
    call.ints = std::move(ints);
    instance->calls.push_back(std::move(call));
}

[[maybe_unused]] void copyText(char* field, std::size_t size, const std::string& text) {
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

FAKE_HOST_EXPORT FakeHost* fakeHostInstance() { return instance; }

#if !defined(FAKE_HOST_WITHOUT_VERSION)
FAKE_HOST_EXPORT int32_t zkGetVersionOfZevkalon(int32_t* major, int32_t* minor, int32_t* third) {
    record("zkGetVersionOfZevkalon");
    if (instance == nullptr) return 0;
    *major = instance->scene.version[0];
    *minor = instance->scene.version[1];
    *third = instance->scene.version[2];
    return 1;
}
#endif

#if !defined(FAKE_HOST_VERSION_ONLY)

FAKE_HOST_EXPORT int32_t zkShowLogTab() {
    record("zkShowLogTab");
    return 1;
}

FAKE_HOST_EXPORT int32_t zkLogText(const char* text) {
    record("zkLogText", text);
    return 1;
}

FAKE_HOST_EXPORT int32_t zkMessageBox(const char* text) {
    record("zkMessageBox", text);
    return 1;
}

FAKE_HOST_EXPORT int32_t zkGetNumberOfDocsInWorkspace() {
    record("zkGetNumberOfDocsInWorkspace");
    if (instance == nullptr) return 0;
    const fakehost::Scene& scene = instance->scene;
    return scene.numberOfDocuments >= 0 ? scene.numberOfDocuments
                                        : static_cast<int32_t>(scene.documentTypes.size());
}

FAKE_HOST_EXPORT int32_t zkGetDocumentType(int32_t document) {
    record("zkGetDocumentType", nullptr, {document});
    if (instance == nullptr) return -1;
    const auto& types = instance->scene.documentTypes;
    if (document < 0 || static_cast<std::size_t>(document) >= types.size()) return -1;
    return types[static_cast<std::size_t>(document)];
}

FAKE_HOST_EXPORT int32_t zkSetAsCurrentDocument(int32_t document) {
    record("zkSetAsCurrentDocument", nullptr, {document});
    if (instance == nullptr) return 0;
    instance->scene.currentDocument = document;
    return 1;
}

FAKE_HOST_EXPORT int32_t zkGetVOIs(VOIsInfo* vois) {
    record("zkGetVOIs");
    if (instance == nullptr) return 0;
    const fakehost::Scene& scene = instance->scene;
    *vois = VOIsInfo{};
    vois->NrOfVOIs = scene.nrOfVOIs >= 0 ? scene.nrOfVOIs : static_cast<int32_t>(scene.vois.size());
    copyText(vois->FileName, sizeof vois->FileName, scene.voisFileName);
    vois->CoordsType = scene.coordsType;
    return scene.getVOIsResult;
}

FAKE_HOST_EXPORT const int32_t* zkGetVOI(int32_t voi, VOIInfo* info) {
    record("zkGetVOI", nullptr, {voi});
    *info = VOIInfo{};
    if (instance == nullptr) return nullptr;
    auto& vois = instance->scene.vois;
    if (voi < 0 || static_cast<std::size_t>(voi) >= vois.size()) return nullptr;
    const fakehost::VOI& entry = vois[static_cast<std::size_t>(voi)];
    info->NrOfVoxels = static_cast<int32_t>(entry.voxels.size() / 3);
    copyText(info->Name, sizeof info->Name, entry.name);
    info->Color = entry.color;
    return entry.voxels.empty() ? nullptr : entry.voxels.data();
}

FAKE_HOST_EXPORT int32_t zkGetMainHeaderOfCurrentVMR(VMRHeader* header) {
    record("zkGetMainHeaderOfCurrentVMR");
    *header = VMRHeader{};
    if (instance == nullptr) return 0;
    const fakehost::Scene& scene = instance->scene;
    header->DimX = scene.dimX;
    header->DimY = scene.dimY;
    header->DimZ = scene.dimZ;
    header->OrientationCode = scene.orientationCode;
    return 1;
}

FAKE_HOST_EXPORT int32_t zkGetCurrentSRF(SRFInfo* srf) {
    record("zkGetCurrentSRF");
    *srf = SRFInfo{};
    if (instance == nullptr) return 0;
    tessarin::MeshData& mesh = instance->scene.mesh;
    srf->NrOfVertices = mesh.nrOfVertices();
    srf->NrOfTriangles = mesh.nrOfTriangles();
    srf->VertexX = mesh.x.data();
    srf->VertexY = mesh.y.data();
    srf->VertexZ = mesh.z.data();
    srf->NormalX = mesh.nx.data();
    srf->NormalY = mesh.ny.data();
    srf->NormalZ = mesh.nz.data();
    srf->Triangles = mesh.triangles.data();
    instance->neighbourCounts.clear();
    instance->neighbourRows.clear();
    for (auto& row : mesh.neighbours) {
        instance->neighbourCounts.push_back(static_cast<int32_t>(row.size()));
        instance->neighbourRows.push_back(row.data());
    }
    srf->NrOfNeighbours = instance->neighbourCounts.data();
    srf->Neighbours = instance->neighbourRows.data();
    instance->meshFileNameCopy = instance->scene.meshFileName;
    srf->FileName = instance->meshFileNameCopy.data();
    if (instance->scene.editSRF) instance->scene.editSRF(*srf);
    return 1;
}

FAKE_HOST_EXPORT float zkGetFloatParameter(const char* name) {
    record("zkGetFloatParameter", name);
    if (instance == nullptr || name == nullptr) return 0.0f;
    const auto found = instance->scene.floatParameters.find(name);
    return found == instance->scene.floatParameters.end() ? 0.0f : found->second;
}

FAKE_HOST_EXPORT int32_t zkGetIntParameter(const char* name) {
    record("zkGetIntParameter", name);
    if (instance == nullptr || name == nullptr) return 0;
    const auto found = instance->scene.intParameters.find(name);
    return found == instance->scene.intParameters.end() ? 0 : found->second;
}

FAKE_HOST_EXPORT int32_t zkLoadPOIs(const char* path) {
    record("zkLoadPOIs", path);
    return 1;
}

#endif  // !FAKE_HOST_VERSION_ONLY

#if defined(FAKE_HOST_WITHOUT_VERSION)
// Keeps the version provider a dependency of this module (see version_provider.cpp).
extern "C" std::int32_t fakeVersionProviderMarker();
FAKE_HOST_EXPORT std::int32_t fakeHostUsesVersionProvider() { return fakeVersionProviderMarker(); }
#endif

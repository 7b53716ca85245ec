// The fourteen host functions, exported from the executable under their C
// names: the plug-in finds them in the module named zevkalon (Zevkalon.exe on
// Windows) at run time, never by linking. The symbol list for the Linux
// linker is zevkalon_exports.list; keep both in step with host_api.h.
#include "host/runtime/host_functions.h"

#include "host/runtime/workspace.h"
#include "shell/host_api.h"

#if defined(_WIN32)
#define ZEVKALON_HOST_EXPORT __declspec(dllexport)
#else
#define ZEVKALON_HOST_EXPORT __attribute__((visibility("default")))
#endif

// Declared from the same list as the plug-in's function types, so a
// signature that drifts from host_api.h fails to compile here.
#define ZK_DECLARE_HOST_FUNCTION(result, name, params, args) extern "C" ZEVKALON_HOST_EXPORT result name params;
ZK_CALLED_HOST_FUNCTIONS(ZK_DECLARE_HOST_FUNCTION)
#undef ZK_DECLARE_HOST_FUNCTION

namespace zevkalon {

namespace {

Workspace* active = nullptr;

// No C++ exception may unwind into the plug-in's frames.
template <typename Result, typename Call>
Result guarded(Result fallback, Call call) noexcept {
    if (active == nullptr) return fallback;
    try {
        return call(*active);
    } catch (...) {
        return fallback;
    }
}

}  // namespace

void setActiveWorkspace(Workspace* workspace) { active = workspace; }

}  // namespace zevkalon

using zevkalon::guarded;
using zevkalon::Workspace;

int32_t zkGetVersionOfZevkalon(int32_t* major, int32_t* minor, int32_t* third) {
    return guarded(0, [&](Workspace& w) { return w.getVersion(major, minor, third); });
}
int32_t zkShowLogTab(void) {
    return guarded(0, [&](Workspace& w) { return w.showLogTab(); });
}
int32_t zkLogText(const char* text) {
    return guarded(0, [&](Workspace& w) { return w.logText(text); });
}
int32_t zkMessageBox(const char* text) {
    return guarded(0, [&](Workspace& w) { return w.messageBox(text); });
}
int32_t zkGetNumberOfDocsInWorkspace(void) {
    return guarded(0, [&](Workspace& w) { return w.numberOfDocuments(); });
}
int32_t zkGetDocumentType(int32_t document) {
    return guarded(0, [&](Workspace& w) { return w.documentType(document); });
}
int32_t zkSetAsCurrentDocument(int32_t document) {
    return guarded(0, [&](Workspace& w) { return w.setCurrentDocument(document); });
}
int32_t zkGetVOIs(VOIsInfo* vois) {
    return guarded(0, [&](Workspace& w) { return w.getVOIs(vois); });
}
const int32_t* zkGetVOI(int32_t voi, VOIInfo* info) {
    return guarded(static_cast<const int32_t*>(nullptr), [&](Workspace& w) { return w.getVOI(voi, info); });
}
int32_t zkGetMainHeaderOfCurrentVMR(VMRHeader* header) {
    return guarded(0, [&](Workspace& w) { return w.getMainHeaderOfCurrentVMR(header); });
}
int32_t zkGetCurrentSRF(SRFInfo* srf) {
    return guarded(0, [&](Workspace& w) { return w.getCurrentSRF(srf); });
}
float zkGetFloatParameter(const char* name) {
    return guarded(0.0f, [&](Workspace& w) { return w.getFloatParameter(name); });
}
int32_t zkGetIntParameter(const char* name) {
    return guarded(0, [&](Workspace& w) { return w.getIntParameter(name); });
}
int32_t zkLoadPOIs(const char* path) {
    return guarded(0, [&](Workspace& w) { return w.loadPOIs(path); });
}

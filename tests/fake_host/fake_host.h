// The scriptable stand-in for the host application used by the tests.
//
// The fake host modules (shared objects named exactly "Zevkalon.exe" or
// "Zevkar.exe", built in tests/fake_host/) export the fourteen host functions
// that the plug-in calls, with C linkage. Each answers from a scene that the
// test writes beforehand and appends every call, in order, to a call log.
// A test reaches a loaded module's state through its one extra export,
// fakeHostInstance (use PluginHarness in plugin_harness.h rather than this
// directly).
//
// What each host function does in the fake:
//   zkGetVersionOfZevkalon        writes scene.version; returns 1
//   zkShowLogTab                  returns 1
//   zkLogText, zkMessageBox       record the text; return 1
//   zkGetNumberOfDocsInWorkspace  scene.numberOfDocuments, or documentTypes.size() when -1
//   zkGetDocumentType(d)          documentTypes[d], -1 when d is out of range
//   zkSetAsCurrentDocument(d)     sets scene.currentDocument = d; returns 1
//   zkGetVOIs(info)               fills NrOfVOIs, FileName, CoordsType; returns scene.getVOIsResult
//   zkGetVOI(i, info)             fills NrOfVoxels, Name, Color of vois[i]; returns its voxels
//                                 (null and NrOfVoxels 0 when i is out of range or it has none)
//   zkGetMainHeaderOfCurrentVMR   fills DimX/Y/Z and OrientationCode; returns 1
//   zkGetCurrentSRF               fills SRFInfo from scene.mesh and scene.meshFileName, then
//                                 applies scene.editSRF when set; returns 1
//   zkGetFloatParameter(name)     floatParameters[name], 0 when absent
//   zkGetIntParameter(name)       intParameters[name], 0 when absent
//   zkLoadPOIs(path)              records the path; returns 1
// Unset record bytes are zero. Texts longer than their inline field are cut
// to fit (terminating zero kept).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "geometry/mesh_data.h"
#include "shell/host_api.h"

namespace fakehost {

// One VOI as the host holds it.
struct VOI {
    std::string name;
    std::int32_t color = 0;            // red * 65536 + green * 256 + blue
    std::vector<std::int32_t> voxels;  // x, y, z triples
};

// Everything the fake host answers with. The defaults describe a valid
// workspace: host 2.2.0, a VMR with VOIs loaded (document 0) and an SRF
// (document 1), the SRF current as the document opened last.
struct Scene {
    std::int32_t version[3] = {2, 2, 0};
    std::vector<std::int32_t> documentTypes = {ZK_DOCUMENT_TYPE_VMR, ZK_DOCUMENT_TYPE_SRF};
    std::int32_t numberOfDocuments = -1;  // -1: documentTypes.size()
    std::int32_t currentDocument = 1;     // changed by zkSetAsCurrentDocument

    // The VOI set of the VMR.
    std::int32_t getVOIsResult = 1;  // 1: VOIs are loaded
    std::int32_t nrOfVOIs = -1;      // NrOfVOIs reported; -1: vois.size()
    std::string voisFileName = "/tmp/tessarin-fake/rois.voi";
    std::int32_t coordsType = 3;
    std::vector<VOI> vois;

    // The VMR header.
    std::int32_t dimX = 256, dimY = 256, dimZ = 256;
    std::int32_t orientationCode = 1;

    // The SRF: arrays handed out as they are, so they must not change
    // while the plug-in runs.
    tessarin::MeshData mesh;
    std::string meshFileName = "/tmp/tessarin-fake/brain.srf";
    // Called on the filled SRFInfo before zkGetCurrentSRF returns, to hand
    // out a malformed record.
    std::function<void(SRFInfo&)> editSRF;

    // Dialog parameters by name.
    std::map<std::string, float> floatParameters;
    std::map<std::string, std::int32_t> intParameters;
};

// One recorded call: the host function's name and its text and integer
// arguments (a null text is recorded as "(null)"; out-pointers are not).
struct Call {
    std::string function;
    std::string text;
    std::vector<std::int32_t> ints;

    // "zkLogText(Plugin>)", "zkGetDocumentType(1)", "zkShowLogTab()".
    std::string str() const {
        std::string out = function + "(" + text;
        for (std::size_t i = 0; i < ints.size(); ++i) {
            if (i > 0 || !text.empty()) out += ", ";
            out += std::to_string(ints[i]);
        }
        return out + ")";
    }
};

// The state of one loaded fake host module.
struct FakeHost {
    Scene scene;
    std::vector<Call> calls;

    // Storage behind the SRFInfo handed out last (the host owns those arrays).
    std::vector<std::int32_t> neighbourCounts;
    std::vector<std::int32_t*> neighbourRows;
    std::string meshFileNameCopy;

    // Back to the default scene with an empty call log.
    void reset() {
        scene = Scene();
        calls.clear();
        neighbourCounts.clear();
        neighbourRows.clear();
        meshFileNameCopy.clear();
    }

    // The text arguments of every call of function, in call order
    // (textsOf("zkLogText") is the log pane).
    std::vector<std::string> textsOf(const std::string& function) const {
        std::vector<std::string> texts;
        for (const Call& call : calls) {
            if (call.function == function) texts.push_back(call.text);
        }
        return texts;
    }

    // Number of calls of function.
    std::size_t count(const std::string& function) const {
        std::size_t n = 0;
        for (const Call& call : calls) n += call.function == function ? 1 : 0;
        return n;
    }

    // Every call as str(), in order.
    std::vector<std::string> callStrings() const {
        std::vector<std::string> out;
        for (const Call& call : calls) out.push_back(call.str());
        return out;
    }

    // The function names of every call, in order.
    std::vector<std::string> functionNames() const {
        std::vector<std::string> out;
        for (const Call& call : calls) out.push_back(call.function);
        return out;
    }
};

// The exported accessor of a fake host module: the module's own state, or
// null once the module's static objects have been destroyed.
using FakeHostInstanceFn = FakeHost* (*)();
constexpr const char* kFakeHostInstanceSymbol = "fakeHostInstance";

}  // namespace fakehost

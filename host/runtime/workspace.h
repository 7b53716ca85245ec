// The host's two documents and what the host functions do with them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "host/documents/host_mesh.h"
#include "host/runtime/dialog_parameters.h"
#include "host/documents/voi_set.h"
#include "poi/poi_file.h"
#include "shell/host_api.h"

namespace zevkalon {

// The version that zevkalon reports to plug-ins.
constexpr std::int32_t kHostVersion[3] = {2, 4, 0};

// Document 0: the anatomical volume with its VOIs.
struct VolumeDocument {
    std::int32_t dims[3] = {0, 0, 0};
    std::vector<VoiData> vois;
    std::string voiFileName;   // at most ZK_VOIS_FILE_NAME_SIZE - 1 bytes
};

// Document 1: the surface mesh, in voxel-grid coordinates.
struct SurfaceDocument {
    HostMesh mesh;
    std::string fileName;
};

// What the host holds during one plug-in run, and the behaviour behind each
// host function (host_functions.cpp forwards the exported C functions here).
// Document 0 is current at the start, as when the user starts a plug-in with
// the volume selected. Calls that address the current VMR or SRF check that
// the current document has that type, and report a mismatch on the message
// stream instead of answering for the wrong document.
class Workspace {
public:
    // log receives every zkLogText entry followed by one line feed (the log
    // pane); messages receives message boxes and the host's own notes, each
    // as "zevkalon: " + text + line feed.
    Workspace(VolumeDocument volume, SurfaceDocument surface, ParameterStore parameters, std::ostream& log,
              std::ostream& messages);
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // The host functions, by the same names without the "zk" prefix.
    std::int32_t getVersion(std::int32_t* major, std::int32_t* minor, std::int32_t* third);
    std::int32_t showLogTab();
    std::int32_t logText(const char* text);
    std::int32_t messageBox(const char* text);
    std::int32_t numberOfDocuments() const { return 2; }
    std::int32_t documentType(std::int32_t document) const;
    std::int32_t setCurrentDocument(std::int32_t document);
    // 1 when the volume has at least one VOI, else 0 (the record is filled either way).
    std::int32_t getVOIs(VOIsInfo* info);
    // The VOI's voxel triples, valid as long as the workspace; null for a bad index.
    const std::int32_t* getVOI(std::int32_t voi, VOIInfo* info);
    std::int32_t getMainHeaderOfCurrentVMR(VMRHeader* header);
    std::int32_t getCurrentSRF(SRFInfo* srf);
    float getFloatParameter(const char* name);
    std::int32_t getIntParameter(const char* name);
    // Reads the file with the host's POI reader and keeps it; reports
    // "loaded N POIs (M vertices) from PATH", or why it could not.
    std::int32_t loadPOIs(const char* path);

    // What the run left behind.
    std::int32_t currentDocument() const { return current_; }
    int messageBoxCount() const { return messageBoxes_; }
    int loadRequests() const { return loadRequests_; }
    // True after a zkLoadPOIs whose file was read and matched the surface.
    bool poisLoaded() const { return loaded_; }
    const tessarin::POIFile& loadedPOIs() const { return pois_; }
    const std::string& loadError() const { return loadError_; }
    const SurfaceDocument& surface() const { return surface_; }

private:
    void note(const std::string& text);

    VolumeDocument volume_;
    SurfaceDocument surface_;
    ParameterStore parameters_;
    std::ostream& log_;
    std::ostream& messages_;
    std::int32_t current_ = 0;
    int messageBoxes_ = 0;
    int loadRequests_ = 0;
    bool loaded_ = false;
    tessarin::POIFile pois_;
    std::string loadError_;
    std::vector<char> fileNameText_;
};

}  // namespace zevkalon

#include "host/runtime/workspace.h"

#include <cmath>
#include <cstring>
#include <ostream>

#include "host/phase_timings.h"
#include "host/host_error.h"
#include "host/readers/poi_reader.h"

namespace zevkalon {

namespace {

constexpr std::int32_t kVolumeDocument = 0;
constexpr std::int32_t kSurfaceDocument = 1;

void copyText(char* target, std::size_t size, const std::string& text) {
    // The callers checked the length; cutting here only guards the record.
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), length);
    target[length] = '\0';
}

}  // namespace

Workspace::Workspace(VolumeDocument volume, SurfaceDocument surface, ParameterStore parameters, std::ostream& log,
                     std::ostream& messages)
    : volume_(std::move(volume)), surface_(std::move(surface)), parameters_(std::move(parameters)), log_(log),
      messages_(messages) {
    fileNameText_.assign(surface_.fileName.begin(), surface_.fileName.end());
    fileNameText_.push_back('\0');
}

void Workspace::note(const std::string& text) { messages_ << "zevkalon: " << text << '\n' << std::flush; }

std::int32_t Workspace::getVersion(std::int32_t* major, std::int32_t* minor, std::int32_t* third) {
    if (major == nullptr || minor == nullptr || third == nullptr) return 0;
    *major = kHostVersion[0], *minor = kHostVersion[1], *third = kHostVersion[2];
    return 1;
}

std::int32_t Workspace::showLogTab() { return 1; }

std::int32_t Workspace::logText(const char* text) {
    log_ << (text == nullptr ? "" : text) << '\n' << std::flush;
    return 1;
}

std::int32_t Workspace::messageBox(const char* text) {
    ++messageBoxes_;
    note(text == nullptr ? "" : text);
    return 1;
}

std::int32_t Workspace::documentType(std::int32_t document) const {
    if (document == kVolumeDocument) return ZK_DOCUMENT_TYPE_VMR;
    if (document == kSurfaceDocument) return ZK_DOCUMENT_TYPE_SRF;
    return 0;
}

std::int32_t Workspace::setCurrentDocument(std::int32_t document) {
    if (documentType(document) == 0) {
        note("zkSetAsCurrentDocument: there is no document " + std::to_string(document));
        return 0;
    }
    current_ = document;
    return 1;
}

std::int32_t Workspace::getVOIs(VOIsInfo* info) {
    if (info == nullptr) return 0;
    std::memset(info, 0, sizeof *info);
    if (current_ != kVolumeDocument) {
        note("zkGetVOIs: the current document is not a VMR");
        return 0;
    }
    info->NrOfVOIs = static_cast<std::int32_t>(volume_.vois.size());
    copyText(info->FileName, sizeof info->FileName, volume_.voiFileName);
    info->CoordsType = 0;  // plain (i, j, k) voxel indices
    return volume_.vois.empty() ? 0 : 1;
}

const std::int32_t* Workspace::getVOI(std::int32_t voi, VOIInfo* info) {
    if (info == nullptr) return nullptr;
    std::memset(info, 0, sizeof *info);
    if (current_ != kVolumeDocument) {
        note("zkGetVOI: the current document is not a VMR");
        return nullptr;
    }
    if (voi < 0 || static_cast<std::size_t>(voi) >= volume_.vois.size()) {
        note("zkGetVOI: there is no VOI " + std::to_string(voi));
        return nullptr;
    }
    const VoiData& data = volume_.vois[static_cast<std::size_t>(voi)];
    info->NrOfVoxels = data.nrOfVoxels();
    copyText(info->Name, sizeof info->Name, data.name);
    info->Color = data.color;
    return data.voxels.data();
}

std::int32_t Workspace::getMainHeaderOfCurrentVMR(VMRHeader* header) {
    if (header == nullptr) return 0;
    std::memset(header, 0, sizeof *header);
    if (current_ != kVolumeDocument) {
        note("zkGetMainHeaderOfCurrentVMR: the current document is not a VMR");
        return 0;
    }
    header->DimX = volume_.dims[0], header->DimY = volume_.dims[1], header->DimZ = volume_.dims[2];
    header->OrientationCode = 0;
    return 1;
}

std::int32_t Workspace::getCurrentSRF(SRFInfo* srf) {
    if (srf == nullptr) return 0;
    std::memset(srf, 0, sizeof *srf);
    if (current_ != kSurfaceDocument) {
        note("zkGetCurrentSRF: the current document is not an SRF");
        return 0;
    }
    HostMesh& mesh = surface_.mesh;
    srf->NrOfVertices = mesh.nrOfVertices();
    srf->NrOfTriangles = mesh.nrOfTriangles();
    srf->VertexX = mesh.x.data(), srf->VertexY = mesh.y.data(), srf->VertexZ = mesh.z.data();
    srf->NormalX = mesh.nx.data(), srf->NormalY = mesh.ny.data(), srf->NormalZ = mesh.nz.data();
    srf->Triangles = mesh.triangles.data();
    srf->NrOfNeighbours = mesh.neighbours.counts();
    srf->Neighbours = mesh.neighbours.rows();
    srf->FileName = fileNameText_.data();
    return 1;
}

float Workspace::getFloatParameter(const char* name) {
    const std::string key = name == nullptr ? "" : name;
    if (!parameters_.found(key)) note("zkGetFloatParameter: no parameter \"" + key + "\"");
    return static_cast<float>(parameters_.get(key));
}

std::int32_t Workspace::getIntParameter(const char* name) {
    const std::string key = name == nullptr ? "" : name;
    if (!parameters_.found(key)) note("zkGetIntParameter: no parameter \"" + key + "\"");
    return static_cast<std::int32_t>(std::lround(parameters_.get(key)));
}

std::int32_t Workspace::loadPOIs(const char* path) {
    ++loadRequests_;
    loaded_ = false;
    const std::string file = path == nullptr ? "" : path;
    const PhaseTimer timer("read back POIs");
    try {
        tessarin::POIFile pois = readPOIFile(file);
        if (pois.NrOfMeshVertices != surface_.mesh.nrOfVertices()) {
            throw HostError(kExitRunFailed, file + ": made for a mesh of " + std::to_string(pois.NrOfMeshVertices) +
                                                " vertices, but the surface has " +
                                                std::to_string(surface_.mesh.nrOfVertices()));
        }
        std::int64_t vertices = 0;
        for (const tessarin::POIRecord& record : pois.POIs) vertices += record.NrOfVertices;
        pois_ = std::move(pois);
        loaded_ = true;
        loadError_.clear();
        note("loaded " + std::to_string(pois_.NrOfPOIs) + " POIs (" + std::to_string(vertices) + " vertices) from " +
             file);
        return 1;
    } catch (const HostError& error) {
        loadError_ = error.what();
        note("cannot load the POI file: " + loadError_);
        return 0;
    }
}

}  // namespace zevkalon

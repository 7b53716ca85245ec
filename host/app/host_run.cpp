#include "host/app/host_run.h"

#include <algorithm>
#include <memory>
#include <new>
#include <ostream>
#include <sys/stat.h>
#include <vector>

#include "host/app/demo_scene.h"
#include "host/app/plausibility.h"
#include "host/app/warning_count.h"
#include "host/phase_timings.h"
#include "host/app/viewer_content.h"
#include "host/app/run_exports.h"
#include "host/documents/surface_space.h"
#include "host/exports/file_identity.h"
#include "host/exports/output_file.h"
#include "host/exports/viewer_outputs.h"
#include "host/exports/poi_report.h"
#include "host/readers/file_names.h"
#include "host/readers/freesurfer_surface_reader.h"
#include "host/host_error.h"
#include "host/runtime/host_functions.h"
#include "host/readers/label_table.h"
#include "host/readers/volume_file.h"
#include "host/runtime/plugin_module.h"
#include "host/documents/surface_mapping.h"
#include "host/runtime/workspace.h"
#include "shell/host_api.h"

namespace zevkalon {

namespace {

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder part of a path, "." when there is none.
std::string folderOf(const std::string& path) {
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos) return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

void checkOutputFolder(const std::string& path, const std::string& what) {
    if (!isFolder(folderOf(path))) throw badInput(what + " " + path + ": the folder " + folderOf(path) + " does not exist");
}

std::string demoVoiFile(const std::string& outDir) {
    const std::string name = "tessarin_demo.voi";
    if (outDir.empty()) return name;
    const char last = outDir.back();
    return last == '/' || last == '\\' ? outDir + name : outDir + "/" + name;
}

// The POI file that the plug-in writes for a VOI file: the path up to its
// last dot, then ".poi".
std::string poiFileOf(const std::string& voiFile) {
    const std::size_t dot = voiFile.rfind('.');
    return (dot == std::string::npos ? voiFile : voiFile.substr(0, dot)) + ".poi";
}

void warnIf(std::ostream& messages, const std::string& warning) {
    if (!warning.empty()) messages << "zevkalon: warning: " << warning << '\n';
}

void flipNormals(HostMesh& mesh) {
    for (std::vector<float>* axis : {&mesh.nx, &mesh.ny, &mesh.nz}) {
        for (float& component : *axis) component = -component;
    }
}

struct OutputTarget {
    std::string what;  // the option that asks for it
    std::string path;
};

// Every file written after the run. An export added here is checked before
// the run like the others.
std::vector<OutputTarget> exportTargets(const HostOptions& options) {
    std::vector<OutputTarget> targets;
    if (!options.exportLabelGii.empty()) targets.push_back({"--export-label-gii", options.exportLabelGii});
    if (!options.viewPage.empty()) targets.push_back({"--view", options.viewPage});
    if (!options.snapshot.empty()) targets.push_back({"--snapshot", options.snapshot});
    if (!options.exportAnnot.empty()) targets.push_back({"--export-annot", options.exportAnnot});
    if (!options.exportRoisGii.empty()) targets.push_back({"--export-rois-gii", options.exportRoisGii});
    if (!options.report.empty()) {
        targets.push_back({"--report", options.report});
        targets.push_back({"--report", reportSidecarPath(options.report)});
    }
    return targets;
}

// Refuses, before anything is read or written, every output that would
// destroy something: an input of the run, the run's own POI file, another
// export, or a target that must not be replaced (a folder, FIFO, device,
// read-only or someone else's file). Paths are compared as files, so other
// spellings and links of one file are caught too.
void checkOutputs(const HostOptions& options) {
    std::vector<std::string> inputs;
    std::string poiFile;
    if (options.mode == HostMode::Demo) {
        poiFile = poiFileOf(demoVoiFile(options.outDir));
    } else {
        inputs = {options.volumePath, options.surfacePath};
        if (!options.labelsPath.empty()) inputs.push_back(options.labelsPath);
        poiFile = poiFileOf(options.voiFile.empty() ? defaultVoiFile(options.volumePath) : options.voiFile);
        for (const std::string& input : inputs) {
            if (sameFile(poiFile, input)) {
                throw badInput("the POI file " + poiFile + " would replace the input file " + input +
                               " (use --voi-file to write it elsewhere)");
            }
        }
    }
    const std::vector<OutputTarget> targets = exportTargets(options);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string& what = targets[i].what;
        const std::string& path = targets[i].path;
        checkOutputFolder(path, what);
        const auto refuse = [&](const std::string& reason) {
            throw HostError(kExitExportFailed, what + " " + path + ": " + reason);
        };
        for (const std::string& input : inputs) {
            if (sameFile(path, input)) refuse("it is the input file " + input + ", which the export would replace");
        }
        if (sameFile(path, poiFile)) refuse("it is the POI file of this run, which the export would replace");
        for (std::size_t j = 0; j < i; ++j) {
            if (sameFile(path, targets[j].path)) refuse(targets[j].what + " writes that file too");
        }
        checkReplaceable(path, what);
    }
}

struct Documents {
    VolumeDocument volume;
    SurfaceDocument surface;
    ParameterStore parameters;
    ViewerSurface viewerSurface;  // only for --view and --snapshot
    ExportInputs exportInputs;
};

ViewerRequest viewerRequest(const HostOptions& options) { return {options.viewPage, options.snapshot}; }
bool wantsViewer(const HostOptions& options) { return viewerRequest(options).wanted(); }

// Only the report measures the surface in world space: without it the
// world positions are dropped before the plug-in runs.
void keepForExports(const HostOptions& options, Documents& documents, std::vector<double>& worldPositions) {
    if (!wantsExports(options)) return;
    ExportInputs& inputs = documents.exportInputs;
    for (const VoiData& voi : documents.volume.vois) {
        inputs.sourceLabels.push_back(voi.label);
        inputs.voxels.push_back(voi.nrOfVoxels());
    }
    if (!options.report.empty()) inputs.worldPositions = std::move(worldPositions);
}

Documents demoDocuments(const HostOptions& options) {
    if (!options.outDir.empty() && !isFolder(options.outDir)) {
        throw badInput("--out-dir " + options.outDir + ": no such folder");
    }
    Documents documents;
    DemoScene scene = makeDemoScene();
    documents.volume = std::move(scene.volume);
    documents.surface = std::move(scene.surface);
    documents.volume.voiFileName = demoVoiFile(options.outDir);
    documents.parameters = demoParameters();
    if (wantsViewer(options)) documents.viewerSurface = viewerSurface(documents.surface.mesh);
    // The demo's voxels are millimetres.
    const HostMesh& mesh = documents.surface.mesh;
    std::vector<double> positions;
    for (std::int32_t v = 0; v < mesh.nrOfVertices(); ++v) positions.insert(positions.end(), {mesh.x[v], mesh.y[v], mesh.z[v]});
    keepForExports(options, documents, positions);
    documents.exportInputs.surfacePath = documents.surface.fileName;
    return documents;
}

Documents loadDocuments(const HostOptions& options, std::ostream& messages) {
    if (options.mode == HostMode::Demo) return demoDocuments(options);
    // Cheap checks first, so a mistyped path is reported before a large
    // volume is read.
    // FreeSurfer surfaces have no extension that the command line could tell them by.
    if (isFreeSurferSurface(options.volumePath)) {
        throw HostError(kExitUsage, options.volumePath +
                                        " is a FreeSurfer surface, but the label volume comes first: zevkalon [options] "
                                        "VOLUME SURFACE");
    }
    const std::string voiFile = options.voiFile.empty() ? defaultVoiFile(options.volumePath) : options.voiFile;
    checkVoiFile(voiFile);
    Documents documents;
    SurfaceFile surfaceFile;
    // A file may hold (and not only declare) more than memory can take:
    // that is a refusal of the file being read, not a fault of zevkalon.
    std::string reading = options.labelsPath;
    try {
        std::unique_ptr<LabelTable> table;
        if (!options.labelsPath.empty()) {
            table = timed("read colour table",
                          [&] { return std::make_unique<LabelTable>(readLabelTable(options.labelsPath)); });
        }
        reading = options.surfacePath;
        surfaceFile = timed("read surface", [&] { return readSurface(options.surfacePath); });

        reading = options.volumePath;
        Affine voxelToWorld;
        {
            const LabelVolume labels = timed("read volume", [&] { return readVolume(options.volumePath); });
            const PhaseTimer timer("VOIs from labels");
            documents.volume.vois = voisFromLabels(labels);
            warnIf(messages, manyLabelsWarning(documents.volume.vois.size(), options.volumePath));
            nameVOIs(documents.volume.vois, table.get(), messages);
            std::copy(labels.dims, labels.dims + 3, documents.volume.dims);
            voxelToWorld = labels.voxelToWorld;
        }  // The labels go here: the VOIs hold all the plug-in reads of them.
        documents.volume.voiFileName = voiFile;

        reading = options.surfacePath;
        const SpaceMapping space = toScannerCoordinates(surfaceFile, options.surfacePath);
        messages << "zevkalon: " << (space.warning ? "warning: " : "") << space.description << '\n';
        if (wantsViewer(options)) {
            documents.viewerSurface = timed("viewer surface", [&] { return viewerSurface(surfaceFile); });
        }
        documents.surface.mesh = timed("map to voxel grid", [&] {
            return mapSurfaceToVoxelGrid(surfaceFile, voxelToWorld.inverse());
        });
        HostMesh& mesh = documents.surface.mesh;
        if (options.flipNormals) flipNormals(mesh);
        warnIf(messages, verticesOutsideWarning(mesh, documents.volume.dims, options.surfacePath, options.volumePath));
        if (normalsPointInwards(mesh)) warnIf(messages, inwardNormalsWarning(options.surfacePath, options.flipNormals));
    } catch (const std::bad_alloc&) {
        throw badInput(reading + ": not enough memory to read this file");
    }
    documents.surface.fileName = options.surfacePath;
    documents.parameters = options.parameters;
    keepForExports(options, documents, surfaceFile.positions);
    documents.exportInputs.surfacePath = options.surfacePath;
    documents.exportInputs.fileStructure = surfaceFile.structure;
    return documents;
}

}  // namespace

std::string defaultVoiFile(const std::string& volumePath) {
    for (const char* suffix : {".nii.gz", ".nii", ".hdr.gz", ".hdr", ".mgz", ".mgh"}) {
        if (endsWithNoCase(volumePath, suffix)) {
            return volumePath.substr(0, volumePath.size() - std::string(suffix).size()) + ".voi";
        }
    }
    return volumePath + ".voi";
}

void checkVoiFile(const std::string& voiFile) {
    const std::size_t capacity = ZK_VOIS_FILE_NAME_SIZE - 1;
    if (voiFile.size() > capacity) {
        throw badInput("the VOI file path " + voiFile + " is " + std::to_string(voiFile.size()) +
                       " characters long; the host holds at most " + std::to_string(capacity) +
                       " (use --voi-file with a shorter path)");
    }
    const std::size_t separator = lastSeparator(voiFile);
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = voiFile.rfind('.');
    if (dot != std::string::npos && dot < nameStart) {
        throw badInput("the VOI file name in " + voiFile +
                       " has no extension; the POI file would be cut at an earlier dot (add e.g. .voi)");
    }
    checkOutputFolder(voiFile, "VOI file");
}

namespace {

ExitCode runCounted(const HostOptions& options, std::ostream& log, std::ostream& messages) {
    if (options.mode == HostMode::Help) {
        log << usageText();
        return kExitOk;
    }
    checkOutputs(options);
    checkViewerRequest(viewerRequest(options));
    Documents documents = loadDocuments(options, messages);
    const ParameterStore parameters = documents.parameters;
    const std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;

    Workspace workspace(std::move(documents.volume), std::move(documents.surface), std::move(documents.parameters),
                        log, messages);
    setActiveWorkspace(&workspace);
    // Unsets the workspace however this scope is left: after it, the
    // exported functions must not reach a destroyed workspace.
    struct Deactivate {
        ~Deactivate() { setActiveWorkspace(nullptr); }
    } deactivate;
    PluginOutcome outcome = PluginOutcome::Failed;
    {
        // The module is unloaded at the end of this block, while the
        // workspace is still active: its static destruction may log.
        const std::unique_ptr<PluginModule> module =
            timed("load plug-in", [&] { return std::make_unique<PluginModule>(pluginPath); });
        noteMemory("before execute");
        outcome = timed("execute", [&] { return drivePlugin(module->createPlugin()); });
    }
    if (outcome == PluginOutcome::Refused) {
        messages << "zevkalon: the plug-in refused to run\n";
        return kExitRefused;
    }
    if (outcome == PluginOutcome::Failed) {
        messages << "zevkalon: the plug-in's run failed\n";
        return kExitRunFailed;
    }
    if (!workspace.poisLoaded()) {
        if (workspace.loadRequests() == 0) messages << "zevkalon: the plug-in finished without a POI file to load\n";
        return kExitRunFailed;
    }
    if (options.mode == HostMode::Run) warnIf(messages, emptyPoisWarning(workspace.loadedPOIs()));
    timed("exports", [&] {
        writeExports(options, documents.exportInputs, workspace.loadedPOIs(), workspace.surface().mesh, messages);
    });
    if (wantsViewer(options)) {
        const PhaseTimer timer("viewer outputs");
        writeViewerOutputs(viewerRequest(options),
                           viewerContent(options, parameters, std::move(documents.viewerSurface), workspace.loadedPOIs()),
                           messages);
    }
    return kExitOk;
}

}  // namespace

ExitCode runHost(const HostOptions& options, std::ostream& log, std::ostream& messages) {
    WarningCount count(messages.rdbuf());
    std::ostream counted(&count);
    const ExitCode code = runCounted(options, log, counted);
    if (code == kExitOk && options.strict && count.warnings() > 0) {
        counted << "zevkalon: --strict: " << count.warnings() << (count.warnings() == 1 ? " warning" : " warnings")
                << " given (see above)\n";
        return kExitWarnings;
    }
    return code;
}

}  // namespace zevkalon

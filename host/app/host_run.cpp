#include "host/app/host_run.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <ostream>
#include <sys/stat.h>

#include "host/app/demo_scene.h"
#include "host/exports/gifti_label_writer.h"
#include "host/host_error.h"
#include "host/runtime/host_functions.h"
#include "host/readers/label_table.h"
#include "host/readers/label_volume.h"
#include "host/runtime/plugin_module.h"
#include "host/documents/surface_mapping.h"
#include "host/runtime/workspace.h"
#include "shell/host_api.h"

namespace zevkalon {

namespace {

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

bool isFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFDIR) != 0;
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

struct Documents {
    VolumeDocument volume;
    SurfaceDocument surface;
    ParameterStore parameters;
};

Documents loadDocuments(const HostOptions& options, std::ostream& messages) {
    Documents documents;
    if (options.mode == HostMode::Demo) {
        if (!options.outDir.empty() && !isFolder(options.outDir)) {
            throw badInput("--out-dir " + options.outDir + ": no such folder");
        }
        DemoScene scene = makeDemoScene();
        documents.volume = std::move(scene.volume);
        documents.surface = std::move(scene.surface);
        documents.volume.voiFileName = demoVoiFile(options.outDir);
        documents.parameters = demoParameters();
        return documents;
    }
    // Cheap checks first, so a mistyped path is reported before a large
    // volume is read.
    const std::string voiFile = options.voiFile.empty() ? defaultVoiFile(options.volumePath) : options.voiFile;
    checkVoiFile(voiFile);
    std::unique_ptr<LabelTable> table;
    if (!options.labelsPath.empty()) table = std::make_unique<LabelTable>(readLabelTable(options.labelsPath));
    const SurfaceFile surfaceFile = readSurface(options.surfacePath);

    const LabelVolume labels = readLabelVolume(options.volumePath);
    documents.volume.vois = voisFromLabels(labels);
    nameVOIs(documents.volume.vois, table.get(), messages);
    std::copy(labels.dims, labels.dims + 3, documents.volume.dims);
    documents.volume.voiFileName = voiFile;
    documents.surface.mesh = mapSurfaceToVoxelGrid(surfaceFile, labels.voxelToWorld.inverse());
    documents.surface.fileName = options.surfacePath;
    documents.parameters = options.parameters;
    return documents;
}

}  // namespace

std::string defaultVoiFile(const std::string& volumePath) {
    for (const char* suffix : {".nii.gz", ".nii"}) {
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

ExitCode runHost(const HostOptions& options, std::ostream& log, std::ostream& messages) {
    if (options.mode == HostMode::Help) {
        log << usageText();
        return kExitOk;
    }
    if (!options.exportLabelGii.empty()) checkOutputFolder(options.exportLabelGii, "--export-label-gii");
    Documents documents = loadDocuments(options, messages);
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
        PluginModule module(pluginPath);
        outcome = drivePlugin(module.createPlugin());
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
    if (!options.exportLabelGii.empty()) {
        writeGiftiLabels(workspace.loadedPOIs(), workspace.surface().mesh.nrOfVertices(), options.exportLabelGii);
        messages << "zevkalon: wrote " << workspace.loadedPOIs().NrOfPOIs << " POI labels to " << options.exportLabelGii
                 << '\n';
    }
    return kExitOk;
}

}  // namespace zevkalon

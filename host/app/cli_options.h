// The command line of zevkalon.
#pragma once

#include <string>
#include <vector>

#include "host/runtime/dialog_parameters.h"

namespace zevkalon {

enum class HostMode {
    Run,   // zevkalon [options] VOLUME SURFACE
    Demo,  // zevkalon demo [--out-dir DIR] ...
    Help,  // zevkalon --help
};

// Everything the command line chose. Empty texts mean "not given".
struct HostOptions {
    HostMode mode = HostMode::Run;
    std::string volumePath;     // NIfTI or MGH label volume (Run)
    std::string surfacePath;    // FreeSurfer, GIFTI or OBJ surface, kept exactly as given (Run)
    std::string labelsPath;     // --labels: FreeSurfer colour table
    std::string voiFile;        // --voi-file: the VOI file path handed to the plug-in
    std::string outDir;         // --out-dir (Demo)
    std::string pluginPath;     // --plugin: plug-in module, default beside the executable
    std::string exportLabelGii; // --export-label-gii
    std::string viewPage;       // --view: the viewer page (HTML)
    std::string snapshot;       // --snapshot: the viewer's picture (PNG)
    std::string exportAnnot;    // --export-annot
    std::string exportRoisGii;  // --export-rois-gii
    std::string report;         // --report: the table (.tsv); its sidecar goes beside it
    std::string structure;      // --structure, in its GIFTI form (CortexLeft)
    bool flipNormals = false;   // --flip-normals: the surface's normals turned around before the run
    bool strict = false;        // --strict: any warning makes the exit status kExitWarnings
    ParameterStore parameters;  // --from, --to, the flags and --smooth
};

// Parses the arguments after the program name. Accepts "--option value" and
// "--option=value"; options may come before or after the file arguments.
// Throws HostError(kExitUsage) with a message naming the offending argument
// for an unknown option, a missing or repeated value, a value that is not a
// number or lies outside the dialog's range, an option that the mode does
// not take, a wrong number of file arguments, a surface file given where the
// volume belongs (the files in the wrong order), a path with a line break
// (the POI file, a text of lines, could not hold it), a --structure that
// Connectome Workbench does not know, or a --report not ending in ".tsv".
HostOptions parseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string usageText();

}  // namespace zevkalon

#include "host/app/cli_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>

#include "host/exports/structure_name.h"
#include "host/host_error.h"
#include "host/readers/file_names.h"

namespace zevkalon {

namespace {

HostError usageError(const std::string& message) {
    return HostError(kExitUsage, message + " (see zevkalon --help)");
}

const DialogParameter* parameterForOption(const std::string& option) {
    for (const DialogParameter& parameter : dialogParameters()) {
        if (option == parameter.option) return &parameter;
    }
    return nullptr;
}

// Flags carry no value: they switch an int parameter to 1.
bool isFlag(const DialogParameter& parameter) { return !parameter.isFloat && parameter.maximum == 1.0; }

double parseNumber(const DialogParameter& parameter, const std::string& text) {
    const std::string option = parameter.option;
    if (text.empty()) throw usageError(option + " needs a number");
    char* end = nullptr;
    errno = 0;
    double value = 0.0;
    if (parameter.isFloat) {
        value = std::strtod(text.c_str(), &end);
    } else {
        value = static_cast<double>(std::strtol(text.c_str(), &end, 10));
    }
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) {
        throw usageError(option + " expects " + (parameter.isFloat ? "a number" : "a whole number") +
                         ", not \"" + text + "\"");
    }
    if (value < parameter.minimum || value > parameter.maximum) {
        std::ostringstream message;
        message << option << " " << text << " is outside the range " << parameter.minimum << " to "
                << parameter.maximum;
        throw usageError(message.str());
    }
    return value;
}

// Paths end up in the POI file and in messages, both made of lines.
void checkPath(const std::string& path) {
    if (path.find_first_of("\n\r") == std::string::npos) return;
    std::string shown;
    for (char c : path) shown += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    throw usageError("the path \"" + shown + "\" contains a line break; rename the file (or its folder) without one");
}

}  // namespace

HostOptions parseCommandLine(const std::vector<std::string>& arguments) {
    HostOptions options;
    std::vector<std::string> files;
    std::set<std::string> seen;
    bool onlyFiles = false;

    struct TextOption {
        const char* name;
        std::string HostOptions::*field;
    };
    const TextOption textOptions[] = {
        {"--labels", &HostOptions::labelsPath},   {"--voi-file", &HostOptions::voiFile},
        {"--out-dir", &HostOptions::outDir},      {"--plugin", &HostOptions::pluginPath},
        {"--export-label-gii", &HostOptions::exportLabelGii}, {"--export-annot", &HostOptions::exportAnnot},
        {"--export-rois-gii", &HostOptions::exportRoisGii}, {"--report", &HostOptions::report},
        {"--structure", &HostOptions::structure},
        {"--view", &HostOptions::viewPage},       {"--snapshot", &HostOptions::snapshot},
    };
    struct FlagOption {
        const char* name;
        bool HostOptions::*field;
    };
    const FlagOption flagOptions[] = {{"--flip-normals", &HostOptions::flipNormals}, {"--strict", &HostOptions::strict}};

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (onlyFiles || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            if (argument == "-h") {
                options.mode = HostMode::Help;
                return options;
            }
            if (!onlyFiles && argument.size() > 1 && argument[0] == '-') throw usageError("unknown option " + argument);
            files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyFiles = true;
            continue;
        }
        if (argument == "--help") {
            options.mode = HostMode::Help;
            return options;
        }
        std::string name = argument;
        std::string value;
        bool hasInlineValue = false;
        const std::size_t equals = argument.find('=');
        if (equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasInlineValue = true;
        }
        if (!seen.insert(name).second) throw usageError("option " + name + " is given twice");

        const FlagOption* flag = nullptr;
        for (const FlagOption& candidate : flagOptions) {
            if (name == candidate.name) flag = &candidate;
        }
        if (flag != nullptr) {
            if (hasInlineValue) throw usageError("option " + name + " takes no value");
            options.*(flag->field) = true;
            continue;
        }
        const DialogParameter* parameter = parameterForOption(name);
        if (parameter != nullptr && isFlag(*parameter)) {
            if (hasInlineValue) throw usageError("option " + name + " takes no value");
            options.parameters.set(parameter->name, 1.0);
            continue;
        }
        const TextOption* text = nullptr;
        for (const TextOption& candidate : textOptions) {
            if (name == candidate.name) text = &candidate;
        }
        if (parameter == nullptr && text == nullptr) throw usageError("unknown option " + name);
        if (!hasInlineValue) {
            if (i + 1 >= arguments.size()) throw usageError("option " + name + " needs a value");
            value = arguments[++i];
        }
        if (parameter != nullptr) {
            options.parameters.set(parameter->name, parseNumber(*parameter, value));
        } else {
            if (value.empty()) throw usageError("option " + name + " needs a non-empty value");
            options.*(text->field) = value;
        }
    }

    for (const std::string& file : files) checkPath(file);
    for (const TextOption& text : textOptions) checkPath(options.*(text.field));
    if (!options.structure.empty()) {
        const std::string name = giftiStructureName(options.structure);
        if (name.empty()) {
            throw usageError("--structure " + options.structure +
                             " is not a structure that Connectome Workbench knows (e.g. CortexLeft, CortexRight, "
                             "Cerebellum; see wb_command -set-structure)");
        }
        options.structure = name;
    }
    if (!options.report.empty() && (options.report.size() < 5 ||
                                    options.report.compare(options.report.size() - 4, 4, ".tsv") != 0)) {
        throw usageError("--report " + options.report + " must end in .tsv (its JSON sidecar goes beside it)");
    }

    if (!files.empty() && files.front() == "demo") {
        options.mode = HostMode::Demo;
        if (files.size() > 1) throw usageError("demo takes no file arguments, got \"" + files[1] + "\"");
        // The demo's scene and its options are fixed, so nothing that would
        // change them is accepted.
        for (const std::string& name : seen) {
            if (name != "--out-dir" && name != "--plugin" && name.rfind("--export-", 0) != 0 && name != "--report" &&
                name != "--structure" && name != "--view" && name != "--snapshot" && name != "--strict") {
                throw usageError("demo does not take " + name);
            }
        }
        return options;
    }
    if (seen.count("--out-dir") != 0) throw usageError("--out-dir is only for demo; use --voi-file to place the POI file");
    if (files.size() != 2) {
        throw usageError(files.empty() ? "missing the volume and surface files"
                         : files.size() == 1 ? "missing the surface file"
                                             : "too many file arguments (\"" + files[2] + "\")");
    }
    if (isSurfaceFileName(files[0])) {
        throw usageError(files[0] + " is a surface file, but the label volume comes first: zevkalon [options] VOLUME SURFACE");
    }
    options.volumePath = files[0];
    options.surfacePath = files[1];
    return options;
}

std::string usageText() {
    std::ostringstream text;
    text << "usage: zevkalon [options] VOLUME SURFACE\n"
            "       zevkalon demo [--out-dir DIR] [--plugin FILE] [export options]\n"
            "\n"
            "Runs the Tessarin plug-in as the Zevkalon host does: VOLUME is a label volume, NIfTI\n"
            "(.nii, .nii.gz) or FreeSurfer MGH (.mgh, .mgz), one VOI per non-zero label; SURFACE is\n"
            "a FreeSurfer surface (lh.white, ...), a GIFTI surface (.surf.gii) or a Wavefront OBJ\n"
            "file. FreeSurfer's tkregister coordinates are mapped to scanner coordinates with the\n"
            "surface's volume geometry; other surfaces are taken as scanner (world) coordinates.\n"
            "The plug-in's log goes to standard output; the POI file lands beside the VOI file.\n"
            "\n"
            "options:\n"
            "  --labels FILE            FreeSurfer colour table (value name R G B A) for VOI names and colours\n"
            "  --voi-file PATH          VOI file path given to the plug-in (default: VOLUME with .voi);\n"
            "                           the POI file is written as PATH with .poi\n";
    for (const DialogParameter& parameter : dialogParameters()) {
        std::ostringstream left;
        left << "  " << parameter.option;
        if (!isFlag(parameter)) left << (parameter.isFloat ? " F" : " N");
        std::string padded = left.str();
        padded.resize(27, ' ');
        text << padded << "dialog parameter \"" << parameter.name << "\"";
        if (isFlag(parameter)) {
            text << " = 1 (default 0)\n";
        } else {
            text << ", " << parameter.minimum << " to " << parameter.maximum << " (default "
                 << parameter.defaultValue << ")\n";
        }
    }
    text << "  --plugin FILE            the plug-in module (default: Tessarin module beside zevkalon)\n"
            "  --export-label-gii FILE  also write the POIs as a GIFTI label file (keys: label values)\n"
            "  --export-annot FILE      also write the POIs as a FreeSurfer annotation (.annot)\n"
            "  --export-rois-gii FILE   also write one 0/1 column per POI (.func.gii), overlaps kept\n"
            "  --report FILE.tsv        also write a table of the POIs (voxels, vertices, area, patches)\n"
            "                           and its JSON sidecar FILE.json\n"
            "  --structure NAME         the GIFTI exports' structure when the surface names none\n"
            "                           (e.g. CortexLeft; default: from lh./rh. in the file name)\n"
            "  --view FILE.html         also write a viewer page: the surface and the POIs in 3D (NiiVue),\n"
            "                           one file that opens offline in a web browser\n"
            "  --snapshot FILE.png      also write a picture of that view from four sides,\n"
            "                           POIs in their exact colours (drawn by headless Chromium)\n"
            "  --flip-normals           turn the surface's normals around before the run (for a surface\n"
            "                           whose normals point inwards: From and To would be swapped)\n"
            "  --strict                 exit with 8 after the run when zevkalon gave any warning\n"
            "  --out-dir DIR            demo only: where the demo's POI file goes (default: .)\n"
            "  -h, --help               this text\n"
            "\n"
            "exit codes: 0 finished, 1 internal error, 2 bad command line, 3 bad input file,\n"
            "            4 plug-in not loadable, 5 plug-in refused the run, 6 run failed,\n"
            "            7 an export failed or its target was refused,\n"
            "            8 --strict and a warning was given (the run itself finished),\n"
            "            9 --view or --snapshot lacks NiiVue or Chromium\n";
    return text.str();
}

}  // namespace zevkalon

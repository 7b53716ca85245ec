#include "host/exports/structure_name.h"

#include <cctype>
#include <tuple>

namespace zevkalon {

namespace {

// Workbench's structures as wb_command -set-structure lists them.
const char* const kStructures[] = {
    "CORTEX_LEFT", "CORTEX_RIGHT", "CEREBELLUM", "ACCUMBENS_LEFT", "ACCUMBENS_RIGHT", "ALL_GREY_MATTER",
    "ALL_WHITE_MATTER", "AMYGDALA_LEFT", "AMYGDALA_RIGHT", "BRAIN_STEM", "CAUDATE_LEFT", "CAUDATE_RIGHT",
    "CEREBELLAR_WHITE_MATTER_LEFT", "CEREBELLAR_WHITE_MATTER_RIGHT", "CEREBELLUM_LEFT", "CEREBELLUM_RIGHT",
    "CEREBRAL_WHITE_MATTER_LEFT", "CEREBRAL_WHITE_MATTER_RIGHT", "CORTEX", "DIENCEPHALON_VENTRAL_LEFT",
    "DIENCEPHALON_VENTRAL_RIGHT", "HIPPOCAMPUS_LEFT", "HIPPOCAMPUS_RIGHT", "OTHER", "OTHER_GREY_MATTER",
    "OTHER_WHITE_MATTER", "PALLIDUM_LEFT", "PALLIDUM_RIGHT", "PUTAMEN_LEFT", "PUTAMEN_RIGHT", "THALAMUS_LEFT",
    "THALAMUS_RIGHT"};

// CORTEX_LEFT -> CortexLeft, as GIFTI files write it.
std::string camelCase(const std::string& name) {
    std::string result;
    bool start = true;
    for (char c : name) {
        if (c == '_') {
            start = true;
            continue;
        }
        result += start ? c : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        start = false;
    }
    return result;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string giftiStructureName(const std::string& name) {
    std::string plain;
    for (char c : name) {
        if (c != '_') plain += c;
    }
    for (const char* structure : kStructures) {
        const std::string gifti = camelCase(structure);
        if (lower(plain) == lower(gifti)) return gifti;
    }
    return "";
}

StructureChoice chooseStructure(const std::string& fromFile, const std::string& option, const std::string& surfacePath) {
    if (!fromFile.empty()) {
        StructureChoice choice{fromFile, "structure " + fromFile + ", from " + surfacePath, false};
        if (!option.empty() && option != fromFile) {
            choice.message = "--structure " + option + " differs from the structure that " + surfacePath +
                             " names; its own, " + fromFile + ", is used";
            choice.warning = true;
        }
        return choice;
    }
    if (!option.empty()) return {option, "structure " + option + ", from --structure", false};
    const std::string name = fileName(surfacePath);
    for (const auto& [side, prefix, entity] : {std::tuple{"Left", "lh.", "hemi-L_"}, std::tuple{"Right", "rh.", "hemi-R_"}}) {
        if (name.rfind(prefix, 0) == 0 || name.find(entity) != std::string::npos) {
            const std::string structure = std::string("Cortex") + side;
            return {structure, "structure " + structure + ", from the file name " + name + " (--structure sets another)",
                    false};
        }
    }
    return {"", "the anatomical structure of " + surfacePath +
                    " is unknown, so the GIFTI exports name none (Connectome Workbench shows it as Invalid); "
                    "give --structure, e.g. CortexLeft",
            true};
}

}  // namespace zevkalon

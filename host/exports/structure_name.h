// The anatomical structure that GIFTI exports name, as Connectome Workbench knows them.
#pragma once

#include <string>

namespace zevkalon {

// The GIFTI form (CortexLeft, Cerebellum, ...) of a structure given in that
// form or as wb_command writes it (CORTEX_LEFT), any case; empty when name
// is none of Workbench's structures.
std::string giftiStructureName(const std::string& name);

// A structure and where it came from, for the log.
struct StructureChoice {
    std::string name;     // empty when unknown
    std::string message;  // what the log says about it
    bool warning = false;
};

// The structure of the GIFTI exports: the surface file's own when it names
// one; else option (already a GIFTI name, see giftiStructureName); else
// FreeSurfer's and BIDS's hemisphere in the file name (lh.*, rh.*, *hemi-L_*,
// *hemi-R_*: the left or right cortex); else none, with a warning. An option
// that contradicts the file is reported and the file's name kept.
StructureChoice chooseStructure(const std::string& fromFile, const std::string& option, const std::string& surfacePath);

}  // namespace zevkalon

#include "host/runtime/dialog_parameters.h"

namespace zevkalon {

const std::array<DialogParameter, 6>& dialogParameters() {
    // The offsets are bounded so the plug-in's sampling loop always ends and
    // stays near the surface; 10 mm is deeper than any cortex.
    static const std::array<DialogParameter, 6> parameters = {{
        {"From", "--from", true, -1.0, -10.0, 10.0},
        {"To", "--to", true, 3.0, -10.0, 10.0},
        {"NoOverlap", "--no-overlap", false, 0.0, 0.0, 1.0},
        {"LargestPatch", "--largest-patch", false, 0.0, 0.0, 1.0},
        {"FillHoles", "--fill-holes", false, 0.0, 0.0, 1.0},
        {"NrSmooth", "--smooth", false, 0.0, 0.0, 20.0},
    }};
    return parameters;
}

ParameterStore::ParameterStore() {
    for (const DialogParameter& parameter : dialogParameters()) values_[parameter.name] = parameter.defaultValue;
}

void ParameterStore::set(const std::string& name, double value) { values_[name] = value; }

double ParameterStore::get(const std::string& name) const {
    const auto found = values_.find(name);
    return found == values_.end() ? 0.0 : found->second;
}

}  // namespace zevkalon

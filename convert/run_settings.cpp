#include "convert/run_settings.h"

#include "shell/host_functions.h"

namespace tessarin {

RunSettings readRunSettings() {
    // One statement per call: the host sees the parameters requested in the
    // documented order, which argument evaluation order would not guarantee.
    RunSettings settings;
    settings.from = zkGetFloatParameter("From");
    settings.to = zkGetFloatParameter("To");
    settings.noOverlap = zkGetIntParameter("NoOverlap") == 1;
    settings.largestPatch = zkGetIntParameter("LargestPatch") == 1;
    settings.fillHoles = zkGetIntParameter("FillHoles") == 1;
    settings.smoothSteps = zkGetIntParameter("NrSmooth");
    return settings;
}

}  // namespace tessarin

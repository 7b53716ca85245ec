// The plug-in object's lifecycle: creation, the start-up checks and the
// closing banner. The run itself (execute) lives in convert/.
#include "shell/tessarin.h"

#include "shell/host_functions.h"
#include "shell/startup_checks.h"

Tessarin::Tessarin() = default;

Tessarin::~Tessarin() {
    if (!hostFunctionsBound()) return;
    try {
        zkLogText("Plugin>  Tessarin Plugin finished!");
        zkLogText(" ");
    } catch (...) {
        // Only a host without zkLogText gets here; the banner is lost.
    }
}

bool Tessarin::initPlugin() { return runStartupChecksSafely(); }

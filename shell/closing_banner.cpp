#include "shell/closing_banner.h"

#include "shell/host_functions.h"

void writeClosingBanner() noexcept {
    if (!hostFunctionsBound()) return;
    try {
        zkLogText("Plugin>  Tessarin Plugin finished!");
        zkLogText(" ");
    } catch (...) {
        // Only a host without zkLogText gets here; the banner is lost.
    }
}

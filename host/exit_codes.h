// The exit status of zevkalon, one value per way a run can end.
#pragma once

namespace zevkalon {

// Documented in the README ("Exit codes"); scripts rely on these values, so
// never renumber them, only add new ones at the end.
enum ExitCode : int {
    kExitOk = 0,             // the plug-in ran and the POI file was loaded (and exported)
    kExitInternal = 1,       // an unexpected error inside zevkalon itself
    kExitUsage = 2,          // bad command line
    kExitBadInput = 3,       // a volume, label table or surface file was refused
    kExitPluginLoad = 4,     // the plug-in module could not be loaded or has no createPlugin
    kExitRefused = 5,        // the plug-in's start-up checks refused the run (initPlugin false)
    kExitRunFailed = 6,      // execute failed, or its POI file was missing or malformed
    kExitExportFailed = 7,   // a file written after the run (an export) could not be written
    kExitWarnings = 8,       // --strict, and zevkalon warned that a result is almost surely wrong
    kExitViewerUnavailable = 9,  // --view or --snapshot lacks what it needs: the NiiVue bundle, or Chromium
};

}  // namespace zevkalon

// The plug-in class: start-up checks and the conversion run.
#pragma once

#include "shell/plugin_interface.h"

// Holds no state: everything a run needs lives inside execute. No exception
// leaves any of its operations; the host calls them across a C boundary.
class TESSARIN_EXPORT Tessarin : public ZKRPluginInterface {
public:
    // Calls no host function.
    Tessarin();
    // Writes the closing banner to the host's log when the host function
    // table is bound; otherwise (initPlugin never ran, or its binding
    // failed) it has nowhere to go and is skipped.
    ~Tessarin() override;
    // The conversion run. Reports an error that ends the run with one host
    // message box and returns false; returns true when it finished.
    // Precondition: a preceding initPlugin returned true.
    bool execute() override;
    // Binds the host functions and checks the host version and documents.
    // On a failed check shows exactly one message box and returns false; a
    // failed binding returns false silently.
    bool initPlugin() override;
};

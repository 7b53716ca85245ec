// The plug-in class: start-up checks and the conversion run.
#pragma once

#include "shell/plugin_interface.h"

class TESSARIN_EXPORT Tessarin : public ZKRPluginInterface {
public:
    Tessarin() = default;
    // Writes the closing banner to the host's log (when the host is bound).
    ~Tessarin() override;
    // The conversion run. Reports an error that ends the run with one host
    // message box and returns false; returns true when it finished.
    bool execute() override;
    // Binds the host functions and checks the host version and documents.
    bool initPlugin() override;
};

// The closing banner that the plug-in object's destructor writes.
#pragma once

// Logs "Plugin>  Tessarin Plugin finished!" and then " " when the host
// function table is bound; otherwise (initPlugin never ran, or its binding
// failed) the lines have nowhere to go and are skipped. Never throws.
void writeClosingBanner() noexcept;

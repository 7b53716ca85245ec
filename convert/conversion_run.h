// The conversion run behind the plug-in's execute.
#pragma once

namespace tessarin {

// Converts every VOI of the volume document (document 0) into a POI on the
// surface document (document 1), saves the POI file beside the VOI file and
// asks the host to load it.
//
// Host calls, in this order: zkGetFloatParameter "From", "To";
// zkGetIntParameter "NoOverlap", "LargestPatch", "FillHoles", "NrSmooth";
// zkSetAsCurrentDocument(1); zkGetCurrentSRF; zkSetAsCurrentDocument(0);
// zkGetMainHeaderOfCurrentVMR; zkGetVOIs; zkLogText for the start, sampling
// and options lines; zkGetVOI from the last VOI down to the first (the
// mapping); per VOI zkGetVOI and zkLogText; the stages' log lines; the saved
// line; zkLoadPOIs.
//
// The surface record is checked (checkSurfaceRecord) right after it is
// fetched; a malformed one ends the run before anything else is called.
//
// Throws whatever ends the run (a malformed surface record, a save failure,
// std::bad_alloc, MissingHostFunction, a refused parameter); all run data is
// released on the way out, and nothing is logged or loaded after the failure.
// Precondition: initPlugin returned true.
void runConversion();

// Shows the text of an error that ended the run in one host message box,
// after dropping any half-built log line. Never throws: when even the
// message box is missing, the text goes nowhere.
void reportRunError(const char* text) noexcept;

// The whole of the plug-in's execute: runConversion, an error that ends it
// shown through reportRunError, then the geometry's pooled scratch released.
// True when the run finished. Never throws.
bool executeConversionRun() noexcept;

}  // namespace tessarin

// Dialog of the Tessarin plug-in ("Creates a POI from a VOI").
//
// Zevkalon builds the plug-in's parameter dialog from this script and keeps
// each value in its parameter store under the parameter's name; the plug-in
// reads the values back by name when it runs. Flags are 1 (on) or 0 (off).
// The stand-in host zevkalon uses the same defaults and ranges for its
// command-line options (--from, --to, --no-overlap, --largest-patch,
// --fill-holes, --smooth).

var TessarinDialog = {
    title: "Tessarin: VOIs to POIs",
    helpFile: "HelpFolder/index.html",
    parameters: [
        { name: "From",         type: "float", label: "Look from (mm against the vertex normal)",
          default: -1.0, min: -10.0, max: 10.0, step: 0.1 },
        { name: "To",           type: "float", label: "Look to (mm along the vertex normal)",
          default: 3.0, min: -10.0, max: 10.0, step: 0.1 },
        { name: "NoOverlap",    type: "int",   label: "No overlap: give each shared vertex to one POI",
          default: 0, min: 0, max: 1 },
        { name: "LargestPatch", type: "int",   label: "Keep only the largest patch of each POI",
          default: 0, min: 0, max: 1 },
        { name: "FillHoles",    type: "int",   label: "Fill holes in the patches",
          default: 0, min: 0, max: 1 },
        { name: "NrSmooth",     type: "int",   label: "Edge smoothing steps (0: off)",
          default: 0, min: 0, max: 20 }
    ]
};

function createDialog(dialog) {
    dialog.setTitle(TessarinDialog.title);
    dialog.setHelpFile(TessarinDialog.helpFile);
    for (var i = 0; i < TessarinDialog.parameters.length; i++) {
        var p = TessarinDialog.parameters[i];
        if (p.type === "float") {
            dialog.addFloatParameter(p.name, p.label, p.default, p.min, p.max, p.step);
        } else if (p.max === 1) {
            dialog.addCheckBox(p.name, p.label, p.default);
        } else {
            dialog.addIntParameter(p.name, p.label, p.default, p.min, p.max);
        }
    }
}

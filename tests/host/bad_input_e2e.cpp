// Every refused input: a message that names the problem, the documented
// exit status, and nothing written.
#include "tests/host/host_fixture.h"

namespace zevkalon::testing {
namespace {

struct BadCase {
    const char* what;
    std::vector<std::string> arguments;  // "@" prefixes a file name in the test folder
    int code;
    const char* message;                 // must appear on stderr
};

TEST_F(HostRunTest, BadInputsAreRefusedWithAMessageAndNothingIsWritten) {
    writeGridInputs();
    const GridScene scene;
    NiftiContent fractional;
    fractional.datatype = 16;
    fractional.labels = scene.labels;
    fractional.labels[5] = 1.5;
    writeNifti(fractional, path("fractional.nii"));
    NiftiContent fourD;
    fourD.extraDims = 2;
    writeNifti(fourD, path("fourd.nii"));
    NiftiContent singular;
    singular.sform = {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0};
    singular.labels = scene.labels;
    writeNifti(singular, path("singular.nii"));
    writeText(path("text.nii"), "not a volume\n");
    writeText(path("bad.lut"), "1 A 1 2 3 0\n2 B 1 2 300 0\n");
    writeText(path("short.lut"), "1 A 1 2\n");
    writeText(path("range.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n");
    writeText(path("zero.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n");
    writeText(path("few.obj"), "v 0 0 0\nv 1 0\nv 0 1 0\nf 1 2 3\n");
    writeText(path("nan.obj"), "v 0 0 0\nv nan 0 0\nv 0 1 0\nf 1 2 3\n");
    writeText(path("empty.obj"), "# nothing here\n");
    writeText(path("points.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\n");
    writeText(path("mesh.stl"), "solid x\n");
    writeText(path("lh.white"), "\xff\xff\xfe" "created by hand\n\n");
    writeGiftiSurface({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 3}, path("range.surf.gii"));
    writeText(path("notgifti.surf.gii"), "this is no XML\n");
    writeText(path("noarrays.surf.gii"), "<?xml version=\"1.0\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"0\">\n</GIFTI>\n");
    const std::string longName = std::string(270, 'v') + ".voi";

    const BadCase cases[] = {
        {"unknown option", {"--frm", "1", "@labels.nii", "@grid.obj"}, 2, "unknown option --frm"},
        {"not a number", {"--from", "abc", "@labels.nii", "@grid.obj"}, 2, "--from expects a number, not \"abc\""},
        {"out of range", {"--smooth", "50", "@labels.nii", "@grid.obj"}, 2, "--smooth 50 is outside the range 0 to 20"},
        {"missing value", {"@labels.nii", "@grid.obj", "--to"}, 2, "option --to needs a value"},
        {"one file", {"@labels.nii"}, 2, "missing the surface file"},
        {"missing volume", {"@none.nii", "@grid.obj"}, 3, "none.nii: cannot open the volume file: No such file or directory"},
        {"not nifti", {"@text.nii", "@grid.obj"}, 3, "text.nii: not a readable NIfTI-1 or NIfTI-2 volume"},
        {"fractional label", {"@fractional.nii", "@grid.obj"}, 3, "voxel (5, 0, 0) holds 1.5, not a whole number"},
        {"four dimensions", {"@fourd.nii", "@grid.obj"}, 3, "dimension 4 has size 2"},
        {"singular affine", {"@singular.nii", "@grid.obj"}, 3, "transform cannot be inverted"},
        {"missing table", {"--labels", "@none.lut", "@labels.nii", "@grid.obj"}, 3, "none.lut: cannot open"},
        {"bad colour", {"--labels", "@bad.lut", "@labels.nii", "@grid.obj"}, 3, "bad.lut:2: colour component \"300\""},
        {"short table line", {"--labels", "@short.lut", "@labels.nii", "@grid.obj"}, 3, "short.lut:1: expected"},
        {"missing surface", {"@labels.nii", "@none.obj"}, 3, "none.obj: cannot open the surface file: No such file or directory"},
        {"unknown format", {"@labels.nii", "@mesh.stl"}, 3, "mesh.stl: unknown surface format"},
        {"files swapped", {"@lh.white", "@labels.nii"}, 2, "lh.white is a FreeSurfer surface, but the label volume comes first"},
        {"index out of range", {"@labels.nii", "@range.obj"}, 3, "range.obj:4: face index 4 is outside the 3 vertices"},
        {"index zero", {"@labels.nii", "@zero.obj"}, 3, "zero.obj:4: face index 0"},
        {"too few coordinates", {"@labels.nii", "@few.obj"}, 3, "few.obj:2: a vertex needs three coordinates"},
        {"nan coordinate", {"@labels.nii", "@nan.obj"}, 3, "nan.obj:2: coordinate \"nan\" is not a finite number"},
        {"empty mesh", {"@labels.nii", "@empty.obj"}, 3, "empty.obj: the surface has no vertices"},
        {"no triangles", {"@labels.nii", "@points.obj"}, 3, "points.obj: the surface has no triangles"},
        {"gifti index out of range", {"@labels.nii", "@range.surf.gii"}, 3,
         "range.surf.gii: triangle 0 refers to vertex 3, but the surface has 3 vertices"},
        {"not gifti", {"@labels.nii", "@notgifti.surf.gii"}, 3, "notgifti.surf.gii: not a readable GIFTI file"},
        {"gifti without arrays", {"@labels.nii", "@noarrays.surf.gii"}, 3, "noarrays.surf.gii: no POINTSET array"},
        {"voi path too long", {"--voi-file", "@" + longName, "@labels.nii", "@grid.obj"}, 3, "the host holds at most 263"},
        {"voi folder missing", {"--voi-file", "@nowhere/rois.voi", "@labels.nii", "@grid.obj"}, 3, "does not exist"},
        {"voi without extension", {"--voi-file", "@sub.d/rois", "@labels.nii", "@grid.obj"}, 3, "has no extension"},
        {"export folder missing", {"--export-label-gii", "@nowhere/x.label.gii", "@labels.nii", "@grid.obj"}, 3,
         "does not exist"},
        {"demo with options", {"demo", "--from", "1"}, 2, "demo does not take --from"},
        {"demo folder missing", {"demo", "--out-dir", "@nowhere"}, 3, "no such folder"},
        {"plug-in missing", {"--plugin", "@none.so", "@labels.nii", "@grid.obj"}, 4, "none.so: no such plug-in module"},
        {"plug-in not a module", {"--plugin", "@text.nii", "@labels.nii", "@grid.obj"}, 4, "cannot load the plug-in module"},
    };
    const std::vector<std::string> before = listFolder(dir_);
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> arguments;
        for (const std::string& argument : c.arguments) {
            arguments.push_back(argument[0] == '@' ? path(argument.substr(1)) : argument);
        }
        const Result result = run(arguments);
        EXPECT_EQ(result.code, c.code);
        EXPECT_NE(result.messages.find(c.message), std::string::npos) << result.messages;
        EXPECT_EQ(result.messages.rfind("zevkalon: ", 0), 0u) << result.messages;
        EXPECT_EQ(result.log, "");
        EXPECT_EQ(listFolder(dir_), before);
    }
}

TEST_F(HostRunTest, AVolumeWithoutLabelsIsRefusedByThePlugin) {
    writeGridInputs();
    NiftiContent blank;
    writeNifti(blank, path("blank.nii"));
    const std::vector<std::string> before = listFolder(dir_);
    const Result result = run({path("blank.nii"), path("grid.obj")});
    EXPECT_EQ(result.code, 5);
    EXPECT_NE(result.messages.find("zevkalon: There are no VOIs loaded on the VMR!"), std::string::npos);
    EXPECT_TRUE(hasLine(result.log, "Plugin>  Running Tessarin Plugin..."));
    EXPECT_EQ(listFolder(dir_), before);
}

}  // namespace
}  // namespace zevkalon::testing

// zevkalon on a real brain (Colin27's white-matter surface and the AAL atlas)
// in the files and spaces that FreeSurfer, fMRIPrep and atlases come in.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "host/readers/poi_reader.h"
#include "tests/host/host_fixture.h"
#include "tests/host/python_check.h"

namespace zevkalon::testing {
namespace {

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// The variants of tests/host/real_brain_variants.py, made once per build
// folder and per version of the scripts (about 3 s), so that every test
// process finds them ready. Empty when the tools to make them are missing.
std::string realBrainFolder(std::string& whyNot) {
    const std::string source = TESSARIN_SOURCE_DIR;
    const std::string script = source + "/tests/host/real_brain_variants.py";
    if (!haveNibabel()) {
        whyNot = kNoNibabel;
        return "";
    }
    if (!exists("/usr/share/mricron/templates/aal.nii.gz") || runPython("import skimage\n").status != 0) {
        whyNot = "the real brain needs Debian's mricron-data and python3-skimage";
        return "";
    }
    const std::string version = std::to_string(
        std::hash<std::string>{}(readText(script) + readText(source + "/scripts/real_brain.py")));
    const std::string folder = std::string(TESSARIN_TEST_CACHE) + "/real_brain_" + version;
    if (exists(folder)) return folder;
    mkdir(TESSARIN_TEST_CACHE, 0755);
    const std::string scratch = makeTempFolder();
    const PythonResult made = runPython(readText(script), {source + "/scripts", scratch + "/brain"});
    EXPECT_EQ(made.status, 0) << made.output;
    // Another test process may have finished first; either copy will do.
    if (std::system(("mv -T '" + scratch + "/brain' '" + folder + "' 2>/dev/null").c_str()) != 0 && !exists(folder)) {
        ADD_FAILURE() << "cannot place the real brain in " << folder;
    }
    std::system(("rm -rf '" + scratch + "'").c_str());
    return folder;
}

class RealBrainTest : public HostRunTest {
protected:
    void SetUp() override {
        HostRunTest::SetUp();
        std::string whyNot;
        brain_ = realBrainFolder(whyNot);
        if (brain_.empty()) GTEST_SKIP() << whyNot;
    }
    std::string input(const std::string& name) const { return brain_ + "/" + name; }
    std::string brain_;
};

std::vector<std::vector<std::int32_t>> vertexSets(const std::string& poiPath) {
    std::vector<std::vector<std::int32_t>> sets;
    for (const tessarin::POIRecord& record : readPOIFile(poiPath).POIs) sets.push_back(record.Vertices);
    return sets;
}

// The acceptance case: no option tells zevkalon which space a file is in.
TEST_F(RealBrainTest, TheSameBrainInEverySpaceGivesTheSamePois) {
    struct Variant {
        const char* volume;
        const char* surface;
        const char* mapping;
    } variants[] = {
        {"aal.nii.gz", "world.surf.gii", "coordinates taken as scanner (world) coordinates"},
        {"aal.nii.gz", "lh.white", "FreeSurfer tkregister coordinates, mapped to scanner coordinates with the "
                                   "surface's volume geometry (256 x 256 x 256 voxels of 1 x 1 x 1 mm, centre 0.5 -16.5 19.5)"},
        {"aal.mgz", "tkr.surf.gii", "FreeSurfer tkregister coordinates, mapped to scanner coordinates with the "
                                    "surface's volume geometry (181 x 217 x 181 voxels of 1 x 1 x 1 mm, centre 0.5 -16.5 19.5)"},
    };
    std::vector<std::vector<std::int32_t>> reference;
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.surface);
        const std::string poi = path(std::string(v.surface) + ".poi");
        const Result result = run({"--labels", input("aal_lut.txt"), input(v.volume), input(v.surface), "--voi-file",
                                   path(std::string(v.surface) + ".voi")});
        ASSERT_EQ(result.code, 0) << result.messages;
        EXPECT_NE(result.messages.find("zevkalon: " + input(v.surface) + ": " + v.mapping), std::string::npos)
            << result.messages;
        const std::vector<std::vector<std::int32_t>> sets = vertexSets(poi);
        ASSERT_EQ(sets.size(), 116u);
        if (reference.empty()) {
            reference = sets;
            std::size_t reached = 0;
            for (const auto& set : sets) reached += set.empty() ? 0 : 1;
            EXPECT_GT(reached, 100u);
        }
        EXPECT_TRUE(sets == reference);
    }
}

TEST_F(RealBrainTest, ExportsReadBackWithNibabelAndWorkbench) {
    const Result result =
        run({"--labels", input("aal_lut.txt"), input("aal.nii.gz"), input("world.surf.gii"), "--voi-file",
             path("aal.voi"), "--export-label-gii", path("aal.label.gii"), "--export-annot", path("lh.aal.annot"),
             "--export-rois-gii", path("aal.func.gii"), "--report", path("aal.tsv")});
    ASSERT_EQ(result.code, 0) << result.messages;
    EXPECT_TRUE(hasLine(result.messages, "zevkalon: structure CortexLeft, from " + input("world.surf.gii")));
    const PythonResult check = runPython(R"(
import json, sys
import numpy as np, nibabel as nib
folder, brain = sys.argv[1], sys.argv[2]

names, colours, members, counts = [], [], [], []
lines = open(folder + "/aal.poi").read().split("\n")
for i, line in enumerate(lines):
    key, _, value = line.partition(":")
    if key == "NameOfPOI": names.append(value.strip().strip('"'))
    if key == "ColorOfPOI": colours.append([int(c) for c in value.split()])
    if key == "NrOfVertices":
        counts.append(int(value))
        members.append([int(v) for v in lines[i + 1:i + 1 + counts[-1]]])
surface = nib.load(brain + "/world.surf.gii")
points, faces = surface.agg_data("pointset"), surface.agg_data("triangle")
n = len(points)
first = np.full(n, -1)
for p in reversed(range(len(members))): first[members[p]] = p
atlas = np.asarray(nib.load(brain + "/aal.nii.gz").dataobj)
values = np.unique(atlas[atlas != 0])

labels, ctab, annot_names = nib.freesurfer.read_annot(folder + "/lh.aal.annot")
assert labels.tolist() == first.tolist(), "annotation labels"
assert [x.decode() for x in annot_names] == names, "annotation names"
assert len(set(ctab[:, 4])) == len(names), "annotation colours must differ"
assert (ctab[:, 1:3] == np.array(colours)[:, 1:3]).all(), "annotation colours"

gii = nib.load(folder + "/aal.label.gii")
assert gii.meta["AnatomicalStructurePrimary"] == "CortexLeft"
assert sorted(gii.labeltable.get_labels_as_dict()) == [0] + values.tolist(), "label keys"
keys = np.where(first >= 0, values[np.maximum(first, 0)], 0)
assert gii.darrays[0].data.tolist() == keys.tolist(), "vertex keys"

rois = nib.load(folder + "/aal.func.gii")
assert [d.meta["Name"] for d in rois.darrays] == names
for p, d in enumerate(rois.darrays):
    assert np.flatnonzero(d.data).tolist() == sorted(members[p]), "ROI " + names[p]

with open(folder + "/aal.tsv") as table:
    header = table.readline().rstrip("\n").split("\t")
    rows = [dict(zip(header, line.rstrip("\n").split("\t"))) for line in table]
sidecar = json.load(open(folder + "/aal.json"))
assert list(sidecar) == header, "sidecar columns"
a, b, c = (points[faces[:, k]].astype(float) for k in range(3))
vertex_area = np.zeros(n)
for k in range(3): np.add.at(vertex_area, faces[:, k], np.linalg.norm(np.cross(b - a, c - a), axis=1) / 6)
for p, row in enumerate(rows):
    assert row["name"] == names[p] and int(row["vertices"]) == counts[p]
    assert int(row["index"]) == values[p] and int(row["voxels"]) == np.count_nonzero(atlas == values[p])
    assert (row["empty"] == "true") == (counts[p] == 0) and (int(row["patches"]) > 0) == (counts[p] > 0)
    assert row["color"] == "#%02X%02X%02X" % tuple(colours[p])
    assert abs(float(row["area_mm2"]) - vertex_area[members[p]].sum()) < 2e-3, names[p]
print("ok")
)", {dir_, brain_});
    EXPECT_EQ(check.output, "ok\n");

    if (std::string(WB_COMMAND).empty()) GTEST_SKIP() << "wb_command (Connectome Workbench) is not installed";
    for (const char* file : {"aal.label.gii", "aal.func.gii"}) {
        const std::string command =
            std::string("'") + WB_COMMAND + "' -file-information '" + path(file) + "' > '" + dir_ + ".wb' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        const std::string information = readText(dir_ + ".wb");
        std::remove((dir_ + ".wb").c_str());
        EXPECT_NE(information.find("CortexLeft"), std::string::npos) << information;
        EXPECT_NE(information.find("Number of Vertices:"), std::string::npos) << information;
    }
}

}  // namespace
}  // namespace zevkalon::testing

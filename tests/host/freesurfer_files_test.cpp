// FreeSurfer's surfaces and MGH volumes as nibabel writes them, their volume
// geometry, and damaged files.
#include <gtest/gtest.h>

#include <cstdio>

#include "host/documents/surface_space.h"
#include "host/host_error.h"
#include "host/readers/freesurfer_surface_reader.h"
#include "host/readers/gifti_volume_geometry.h"
#include "host/readers/mgh_volume_reader.h"
#include "host/readers/surface_file.h"
#include "tests/host/python_check.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

class FreeSurferFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveNibabel()) GTEST_SKIP() << testing::kNoNibabel;
        dir_ = testing::makeTempFolder();
    }
    void TearDown() override {
        if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    // Runs a nibabel script in the folder; returns what it prints.
    std::string python(const std::string& script) const {
        const testing::PythonResult result = testing::runPython(
            "import os, sys, numpy as np, nibabel as nib\nfrom nibabel.freesurfer import io as fsio\n"
            "os.chdir(sys.argv[1])\n" + script, {dir_});
        EXPECT_EQ(result.status, 0) << result.output;
        return result.output;
    }
    // The message of the refusal of reading path, "" when it is read.
    template <typename Read>
    static std::string refusal(Read read, const std::string& path) {
        try {
            read(path);
        } catch (const HostError& error) {
            EXPECT_EQ(error.code(), kExitBadInput);
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
            return error.what();
        }
        return "";
    }
    std::string dir_;
};

// An oblique, anisotropic geometry: the mapping must be
// vox2ras . inverse(vox2ras-tkr), as nibabel computes it, not a shift.
TEST_F(FreeSurferFilesTest, SurfacesWithAndWithoutFooterAndTheirMappingToScanner) {
    const std::string printed = python(R"(
coords = np.array([[0, 0, 0], [10, 0, 0], [0, 10, 0], [1.5, -2.25, 3]], float)
faces = np.array([[0, 1, 2], [0, 2, 3]])
c, s = np.cos(0.3), np.sin(0.3)
info = {"head": [20], "valid": "1  # volume info valid", "filename": "orig.mgz", "volume": [100, 120, 90],
        "voxelsize": [0.9, 1.1, 1.3], "xras": [c, s, 0], "yras": [0, 0, -1], "zras": [-s, c, 0], "cras": [5, -7, 11]}
fsio.write_geometry("lh.white", coords, faces, volume_info=info)
fsio.write_geometry("rh.pial", coords, faces)
header = nib.freesurfer.mghformat.MGHHeader()
header.set_data_shape(info["volume"])
header.set_zooms(info["voxelsize"])
header["Mdc"] = [info["xras"], info["yras"], info["zras"]]
header["Pxyz_c"] = info["cras"]
scanner = nib.affines.apply_affine(header.get_vox2ras() @ np.linalg.inv(header.get_vox2ras_tkr()), coords)
print(" ".join(repr(v) for v in scanner.ravel()))
)");
    SurfaceFile surface = readSurface(path("lh.white"));
    EXPECT_EQ(surface.positions[9], 1.5);
    EXPECT_EQ(surface.triangles, (std::vector<std::int32_t>{0, 1, 2, 0, 2, 3}));
    ASSERT_EQ(surface.space, CoordinateSpace::Tkregister);
    EXPECT_EQ(surface.geometry.dims[1], 120);
    // Each step is a file normal too: the linear part must carry it.
    surface.normals = surface.positions;
    const SpaceMapping mapping = toScannerCoordinates(surface, "lh.white");
    EXPECT_FALSE(mapping.warning);
    EXPECT_NE(mapping.description.find("100 x 120 x 90 voxels of 0.9 x 1.1 x 1.3 mm, centre 5 -7 11"),
              std::string::npos) << mapping.description;
    // nibabel's MGH header holds the geometry in float32.
    std::istringstream expected(printed);
    for (std::size_t i = 0; i < 12; ++i) {
        double value = 0;
        expected >> value;
        EXPECT_NEAR(surface.positions[i], value, 1e-5) << i;
    }
    double length = 0;
    for (int k = 0; k < 3; ++k) length += surface.normals[9 + k] * surface.normals[9 + k];
    EXPECT_NEAR(length, 1.5 * 1.5 + 2.25 * 2.25 + 9, 1e-9);  // a rotation keeps lengths

    SurfaceFile bare = readSurface(path("rh.pial"));
    EXPECT_EQ(bare.space, CoordinateSpace::TkregisterUnknown);
    const SpaceMapping unknown = toScannerCoordinates(bare, "rh.pial");
    EXPECT_TRUE(unknown.warning);
    EXPECT_NE(unknown.description.find("it has no volume geometry"), std::string::npos) << unknown.description;
    EXPECT_EQ(bare.positions[3], 10.0);
}

TEST_F(FreeSurferFilesTest, DamagedSurfacesAreRefusedNamingTheProblem) {
    python(R"(
fsio.write_geometry("good", np.zeros((3, 3)), np.array([[0, 1, 2]]),
                    volume_info={"head": [2, 0, 20], "valid": "1", "filename": "f", "volume": [4, 4, 4],
                                 "voxelsize": [1, 1, 1], "xras": [-1, 0, 0], "yras": [0, 0, -1],
                                 "zras": [0, 1, 0], "cras": [0, 0, 0]})
)");
    const std::string good = testing::readText(path("good"));
    const std::size_t counts = good.find("\n\n") + 2;
    const std::size_t footer = counts + 8 + 3 * 12 + 12;
    struct Case {
        const char* name;
        std::string bytes;
        const char* problem;
    } cases[] = {
        {"truncated", good.substr(0, footer - 5), "the file ends early: it declares 3 vertices and 1 triangles"},
        {"huge counts", good.substr(0, counts) + std::string("\x7f\xff\xff\xff\0\0\0\1", 8) + good.substr(counts + 8),
         "the file ends early"},
        {"negative count", good.substr(0, counts) + std::string("\xff\xff\xff\xfe", 4) + good.substr(counts + 4),
         "declares -2 vertices"},
        {"quadrangles", "\xff\xff\xfd" + good.substr(3), "a FreeSurfer quadrangle surface"},
        {"no stamp end", good.substr(0, 20), "the creation line does not end"},
        {"damaged footer", good.substr(0, good.find("xras")) + "xrays = 1 0 0\n", "expected \"xras = ...\""},
        {"bad geometry", good.substr(0, good.find("voxelsize")) + "voxelsize = 1 0 1\n" +
                             good.substr(good.find("xras")),
         "a voxel size is not a positive number"},
    };
    for (const Case& c : cases) {
        const std::string file = path(c.name);
        testing::writeText(file, c.bytes);
        const std::string message = refusal(readFreeSurferSurface, file);
        EXPECT_NE(message.find(c.problem), std::string::npos) << c.name << ": " << message;
    }
    // A triangle that points past the vertices is caught as in every format.
    testing::writeText(path("bad index"), good.substr(0, footer - 4) + std::string("\0\0\0\3", 4) + good.substr(footer));
    EXPECT_NE(refusal(readSurface, path("bad index")).find("refers to vertex 3"), std::string::npos);
}

TEST_F(FreeSurferFilesTest, MghVolumesReadAsNibabelReadsThem) {
    const std::string printed = python(R"(
data = np.zeros((3, 4, 2), np.int32)
data[2, 1, 0], data[0, 3, 1] = 1001, -7
affine = np.array([[0, -2, 0, 10], [0, 0, 3, -5], [1.5, 0, 0, 2], [0, 0, 0, 1]], float)
nib.save(nib.MGHImage(data, affine), "aparc+aseg.mgz")
nib.save(nib.MGHImage(data.astype(np.float32), affine), "whole.mgh")
nib.save(nib.MGHImage(data.astype(np.float32) + 0.5, affine), "half.mgh")
print(" ".join(repr(v) for v in nib.load("aparc+aseg.mgz").affine[:3].ravel()))
)");
    for (const char* name : {"aparc+aseg.mgz", "whole.mgh"}) {
        SCOPED_TRACE(name);
        const LabelVolume volume = readMghVolume(path(name));
        EXPECT_EQ(volume.dims[0], 3);
        EXPECT_EQ(volume.dims[2], 2);
        ASSERT_EQ(volume.labels.size(), 24u);
        EXPECT_EQ(volume.labels[2 + 1 * 3], 1001);
        EXPECT_EQ(volume.labels[0 + 3 * 3 + 12], -7);
        std::istringstream expected(printed);
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c) {
                double value = 0;
                expected >> value;
                EXPECT_NEAR(volume.voxelToWorld.at(r, c), value, 1e-5) << r << ", " << c;
            }
        }
    }
    EXPECT_NE(refusal(readMghVolume, path("half.mgh")).find("voxel (0, 0, 0) holds 0.5, not a whole number"),
              std::string::npos);
}

TEST_F(FreeSurferFilesTest, DamagedMghVolumesAreRefusedNamingTheProblem) {
    python(R"(
nib.save(nib.MGHImage(np.ones((2, 2, 2), np.int16), np.eye(4)), "good.mgh")
nib.save(nib.MGHImage(np.ones((2, 2, 2, 3), np.uint8), np.eye(4)), "frames.mgh")
)");
    const std::string good = testing::readText(path("good.mgh"));
    const auto withInt = [&](std::size_t at, std::string word) { return good.substr(0, at) + word + good.substr(at + 4); };
    struct Case {
        const char* name;
        std::string bytes;
        const char* problem;
    } cases[] = {
        {"short.mgh", good.substr(0, 100), "too short for a header"},
        {"version.mgh", withInt(0, std::string("\0\0\0\2", 4)), "format version 2, not 1"},
        {"zero.mgh", withInt(8, std::string("\0\0\0\0", 4)), "every size must be at least 1"},
        {"type.mgh", withInt(20, std::string("\0\0\0\2", 4)), "MGH data type 2 cannot hold labels"},
        {"truncated.mgh", good.substr(0, 284 + 10), "the file ends early: the header declares 8 voxels"},
        {"huge.mgh", withInt(4, std::string("\0\1\0\0", 4)) , "the file ends early"},
        {"flat.mgh", good.substr(0, 30) + std::string(12, '\0') + good.substr(42), "unusable voxel-to-world"},
        {"garbage.mgz", "\x1f\x8b\x08" + std::string(400, 'x'), "not a readable MGH volume"},
    };
    for (const Case& c : cases) {
        testing::writeText(path(c.name), c.bytes);
        const std::string message = refusal(readMghVolume, path(c.name));
        EXPECT_NE(message.find(c.problem), std::string::npos) << c.name << ": " << message;
    }
    EXPECT_NE(refusal(readMghVolume, path("frames.mgh")).find("has one frame, but this one has 3"), std::string::npos);
}

TEST(GiftiVolumeGeometry, FreeSurferKeysMarkTkregisterSpaceAndPartialOnesAreRefused) {
    MetaPairs meta = {{"VolGeomWidth", "256"}, {"VolGeomHeight", "256"}, {"VolGeomDepth", "256"},
                      {"VolGeomXsize", "1"},   {"VolGeomYsize", "1"},   {"VolGeomZsize", "1"}};
    // Sizes alone, as tools leave them after moving a surface to scanner space.
    SurfaceFile surface;
    applyGiftiMetadata(meta, {{"AnatomicalStructurePrimary", "CortexRight"}}, surface, "s.gii");
    EXPECT_EQ(surface.space, CoordinateSpace::Unstated);
    EXPECT_EQ(surface.structure, "CortexRight");

    const char* const values[12] = {"-1", "0", "0", "0", "0", "-1", "0", "1", "0", " 2.5 ", "-3", "4e1"};
    int next = 0;
    for (const char* axis : {"X", "Y", "Z", "C"}) {
        for (const char* component : {"R", "A", "S"}) {
            meta.emplace_back(std::string("VolGeom") + axis + "_" + component, values[next++]);
        }
    }
    applyGiftiMetadata(meta, {}, surface, "s.gii");
    EXPECT_EQ(surface.space, CoordinateSpace::Tkregister);
    EXPECT_EQ(surface.geometry.cras, (std::array<double, 3>{2.5, -3, 40}));
    EXPECT_EQ(surface.geometry.yras, (std::array<double, 3>{0, 0, -1}));

    struct Case {
        std::size_t entry;
        const char* value;  // nullptr: the key is left out
        const char* problem;
    } cases[] = {{17, nullptr, "VolGeomC_S is missing"},
                 {0, "25.5", "VolGeomWidth is not a whole number"},
                 {3, "abc", "VolGeomXsize is \"abc\", not a number"},
                 {6, "0", "the axis directions do not span space"}};
    for (const Case& c : cases) {
        MetaPairs damaged = meta;
        if (c.value == nullptr) {
            damaged.erase(damaged.begin() + static_cast<std::ptrdiff_t>(c.entry));
        } else {
            damaged[c.entry].second = c.value;
            if (c.entry == 6) damaged[7].second = damaged[8].second = "0";
        }
        SurfaceFile other;
        try {
            applyGiftiMetadata(damaged, {}, other, "s.gii");
            ADD_FAILURE() << c.problem;
        } catch (const HostError& error) {
            EXPECT_NE(std::string(error.what()).find(c.problem), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace zevkalon

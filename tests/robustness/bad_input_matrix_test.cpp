// Bad inputs through the zevkalon executable: each must end with a message
// that names the problem, the documented exit status (2 bad command line,
// 3 bad input file, 6 run failed) and no file written. Cases that the host
// tests already cover the same way (missing files, out-of-range OBJ/GIFTI
// indices, NaN in OBJ, fractional labels, ...) are not repeated here.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "tests/robustness/robustness_inputs.h"
#include "tests/robustness/zevkalon_process.h"

namespace zevkalon::robustness {
namespace {

class BadInputMatrix : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = makeTempFolder();
        const GridScene scene;
        writeText(path("labels.nii"), scene.volume());
        writeText(path("grid.obj"), scene.obj());
        writeText(path("grid.surf.gii"), scene.gifti());
    }
    void TearDown() override { removeTree(dir_); }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    struct Case {
        std::string what;
        std::vector<std::string> arguments;  // "@" prefixes a name in the test folder
        int code;
        std::string message;  // must appear on stderr
    };

    // Runs every case and checks status, message and that the folder is as before.
    void expectRefused(const std::vector<Case>& cases) {
        const std::vector<std::string> before = listFolder(dir_);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            std::vector<std::string> arguments;
            for (const std::string& argument : c.arguments) {
                arguments.push_back(!argument.empty() && argument[0] == '@' ? path(argument.substr(1)) : argument);
            }
            const ProcessResult result = runZevkalon(arguments);
            EXPECT_EQ(result.signal, 0) << "zevkalon was killed by signal " << result.signal;
            EXPECT_EQ(result.exitCode, c.code) << result.messages;
            EXPECT_NE(result.messages.find(c.message), std::string::npos) << result.messages;
            EXPECT_EQ(result.messages.rfind("zevkalon: ", 0), 0u) << result.messages;
            const std::vector<std::string> after = listFolder(dir_);
            EXPECT_EQ(after, before);
            // Whatever a failing case wrote must not spoil the next one.
            for (const std::string& name : after) {
                if (std::find(before.begin(), before.end(), name) == before.end()) removeTree(path(name));
            }
        }
    }

    std::string dir_;
};

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
    return bytes;
}

TEST_F(BadInputMatrix, UnreadableTruncatedAndGarbageFilesAreRefused) {
    const GridScene scene;
    mkdir(path("folder.nii").c_str(), 0755);
    mkdir(path("folder.obj").c_str(), 0755);
    mkdir(path("folder.surf.gii").c_str(), 0755);
    const std::string volume = scene.volume();
    writeText(path("cut_data.nii"), volume.substr(0, volume.size() / 2));
    writeText(path("cut_header.nii"), volume.substr(0, 100));
    writeText(path("empty.nii"), "");
    const std::string packed = gzipped(volume);
    writeText(path("cut.nii.gz"), packed.substr(0, packed.size() / 2));
    writeText(path("garbage.nii"), randomBytes(4000, 1));
    writeText(path("garbage.nii.gz"), gzipped(randomBytes(4000, 2)));
    const std::string gifti = scene.gifti();
    writeText(path("cut.surf.gii"), gifti.substr(0, gifti.size() / 2));
    writeText(path("garbage.surf.gii"), randomBytes(3000, 3));
    const std::string obj = scene.obj();
    const std::size_t lastFace = obj.rfind("f ");
    writeText(path("cut.obj"), obj.substr(0, lastFace + 5));
    writeText(path("garbage.obj"), randomBytes(3000, 4));

    std::vector<Case> cases = {
        {"volume is a folder", {"@folder.nii", "@grid.obj"}, 3, "folder.nii: "},
        {"OBJ surface is a folder", {"@labels.nii", "@folder.obj"}, 3, "folder.obj: "},
        {"GIFTI surface is a folder", {"@labels.nii", "@folder.surf.gii"}, 3, "folder.surf.gii: "},
        {"NIfTI cut in its data", {"@cut_data.nii", "@grid.obj"}, 3, "cut_data.nii: not a readable NIfTI"},
        {"NIfTI cut in its header", {"@cut_header.nii", "@grid.obj"}, 3, "cut_header.nii: not a readable NIfTI"},
        {"empty NIfTI", {"@empty.nii", "@grid.obj"}, 3, "empty.nii: not a readable NIfTI"},
        {"gzip NIfTI cut short", {"@cut.nii.gz", "@grid.obj"}, 3, "cut.nii.gz: not a readable NIfTI"},
        {"random bytes as NIfTI", {"@garbage.nii", "@grid.obj"}, 3, "garbage.nii: not a readable NIfTI"},
        {"random bytes gzipped as NIfTI", {"@garbage.nii.gz", "@grid.obj"}, 3, "garbage.nii.gz: not a readable NIfTI"},
        {"GIFTI cut in half", {"@labels.nii", "@cut.surf.gii"}, 3, "cut.surf.gii: not a readable GIFTI file"},
        {"random bytes as GIFTI", {"@labels.nii", "@garbage.surf.gii"}, 3, "garbage.surf.gii: not a readable GIFTI"},
        {"OBJ cut inside a face", {"@labels.nii", "@cut.obj"}, 3, "cut.obj:"},
        {"random bytes as OBJ", {"@labels.nii", "@garbage.obj"}, 3, "garbage.obj:"},
    };
    // Permission bits stop only a process that cannot override them.
    if (!permissionBitsAreIgnored()) {
        writeText(path("locked.nii"), volume);
        writeText(path("locked.obj"), obj);
        chmod(path("locked.nii").c_str(), 0);
        chmod(path("locked.obj").c_str(), 0);
        cases.push_back({"unreadable volume", {"@locked.nii", "@grid.obj"}, 3, "locked.nii: cannot open the volume file"});
        cases.push_back({"unreadable surface", {"@labels.nii", "@locked.obj"}, 3, "locked.obj: cannot open the surface file"});
    }
    expectRefused(cases);
}

TEST_F(BadInputMatrix, BadMeshesAndImpossibleVolumesAreRefused) {
    writeText(path("negative_index.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n");
    writeText(path("huge_index.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 1099511627776\n");
    writeText(path("infinite.obj"), "v 0 0 0\nv inf 0 0\nv 0 1 0\nf 1 2 3\n");
    writeText(path("overflowing.obj"), "v 0 0 0\nv 1e400 0 0\nv 0 1 0\nf 1 2 3\n");
    writeText(path("nan.surf.gii"), giftiText({"0", "0", "0", "1", "nan", "0", "0", "1", "0"}, {0, 1, 2}));
    writeText(path("infinite.surf.gii"), giftiText({"0", "0", "0", "1", "0", "-inf", "0", "1", "0"}, {0, 1, 2}));
    writeText(path("negative.surf.gii"), giftiText({"0", "0", "0", "1", "0", "0", "0", "1", "0"}, {0, -1, 2}));
    // 2048 x 2048 x 1024 = 2^32 voxels declared, a few bytes present.
    writeText(path("huge.nii"), niftiFile({2048, 2048, 1024}, 2, 8, std::string(64, '\0')));
    // 2^31 + 1 voxels: one more than a 32-bit signed count can hold.
    writeText(path("just_too_big.nii"), niftiFile({32768, 32768, 2}, 2, 8, std::string(64, '\0')));
    // Labels that do not fit the host's 32-bit VOI labels.
    std::vector<float> floats(8, 0.0f);
    floats[3] = 3.0e9f;
    writeText(path("float_label.nii"), niftiFile({2, 2, 2}, 16, 32, float32Labels(floats)));
    floats[3] = -3.0e9f;
    writeText(path("negative_label.nii"), niftiFile({2, 2, 2}, 16, 32, float32Labels(floats)));
    std::vector<std::int64_t> wide(8, 0);
    wide[5] = std::int64_t(1) << 40;
    writeText(path("wide_label.nii"), niftiFile({2, 2, 2}, 1024, 64, int64Labels(wide)));

    expectRefused({
        {"OBJ index before the first vertex", {"@labels.nii", "@negative_index.obj"}, 3, "negative_index.obj:4: "},
        {"OBJ index beyond 32 bits", {"@labels.nii", "@huge_index.obj"}, 3, "huge_index.obj:4: "},
        {"OBJ infinite coordinate", {"@labels.nii", "@infinite.obj"}, 3, "infinite.obj:2: "},
        {"OBJ coordinate beyond double", {"@labels.nii", "@overflowing.obj"}, 3, "overflowing.obj:2: "},
        {"GIFTI NaN coordinate", {"@labels.nii", "@nan.surf.gii"}, 3, "nan.surf.gii: "},
        {"GIFTI infinite coordinate", {"@labels.nii", "@infinite.surf.gii"}, 3, "infinite.surf.gii: "},
        {"GIFTI negative index", {"@labels.nii", "@negative.surf.gii"}, 3, "negative.surf.gii: "},
        {"2^32 voxels declared", {"@huge.nii", "@grid.obj"}, 3, "huge.nii: "},
        {"2^31 + 1 voxels declared", {"@just_too_big.nii", "@grid.obj"}, 3, "just_too_big.nii: "},
        {"label beyond 32 bits", {"@float_label.nii", "@grid.obj"}, 3, "beyond the 32-bit range"},
        {"label below 32 bits", {"@negative_label.nii", "@grid.obj"}, 3, "beyond the 32-bit range"},
        {"64-bit label", {"@wide_label.nii", "@grid.obj"}, 3, "beyond the 32-bit range"},
    });
}

TEST_F(BadInputMatrix, ParametersOutsideTheDialogRangeAreRefused) {
    std::vector<Case> cases;
    for (const char* option : {"--from", "--to"}) {
        for (const char* value : {"nan", "NaN", "inf", "-inf", "infinity", "1e30", "-1e30", "1e400"}) {
            cases.push_back({std::string(option) + " " + value,
                             {option, value, "@labels.nii", "@grid.obj"},
                             2,
                             std::string(option)});
        }
    }
    for (const char* value : {"-5", "2147483647", "2147483648", "-2147483649", "99999999999999999999", "1.5", "1e3"}) {
        cases.push_back({std::string("--smooth ") + value, {"--smooth", value, "@labels.nii", "@grid.obj"}, 2, "--smooth"});
    }
    expectRefused(cases);
}

TEST_F(BadInputMatrix, OverlongPathsAndUnwritableFoldersAreRefused) {
    // A 1,000-character path made of folders of 99 characters (each within
    // the file system's name limit), and one 1,000-character name.
    std::string deep = dir_;
    while (deep.size() + 100 <= 980) {
        deep += "/" + std::string(99, 'd');
        mkdir(deep.c_str(), 0755);
    }
    const std::string longVolume = deep + "/" + std::string(1000 - deep.size() - 5, 'v') + ".nii";
    ASSERT_EQ(longVolume.size(), 1000u);
    writeText(longVolume, GridScene().volume());
    const std::string longName = path(std::string(996, 'n') + ".nii");

    std::vector<Case> cases = {
        {"1,000-character volume path (VOI file path too long for the host)", {longVolume, "@grid.obj"}, 3,
         "the host holds at most 263"},
        {"1,000-character VOI file path", {"--voi-file", longVolume.substr(0, 996) + ".voi", "@labels.nii", "@grid.obj"},
         3, "the host holds at most 263"},
        {"1,000-character file name", {"--voi-file", "@rois.voi", longName, "@grid.obj"}, 3, "cannot open the volume file"},
        {"1,000-character surface name", {"@labels.nii", std::string(dir_ + "/" + std::string(996, 's') + ".obj")}, 3,
         "cannot open the surface file"},
    };
    // A folder that exists but where no file can be made, even by root.
    if (access("/proc/self", F_OK) == 0) {
        cases.push_back({"unwritable output folder", {"--voi-file", "/proc/rois.voi", "@labels.nii", "@grid.obj"}, 6,
                         "Cannot Create file: /proc/rois.poi"});
    }
    expectRefused(cases);
    EXPECT_NE(access(longVolume.c_str(), F_OK), -1);
    EXPECT_EQ(listFolder(deep).size(), 1u) << "only the volume may be in its folder";
}

// Inputs that the NIfTI and GIFTI libraries on their own would read as
// something else, or crash on: the host's own checks refuse each of them.
TEST_F(BadInputMatrix, InputsTheLibrariesWouldMisreadAreRefused) {
    mkdir(path("folder.lut").c_str(), 0755);
    // Labels everywhere, so a volume read with other sizes than declared runs.
    // The NIfTI library turns sizes below 1 into 1 before the host sees them.
    writeText(path("negative_size.nii"), niftiFile({10, -10, 10}, 2, 8, std::string(1000, '\1')));
    writeText(path("zero_size.nii"), niftiFile({10, 0, 10}, 2, 8, std::string(1000, '\1')));
    writeText(path("no_dimensions.nii"), niftiFile({}, 2, 8, std::string(1000, '\1')));
    // The NIfTI library sets NaN and infinite float voxels to 0 while loading.
    std::vector<float> floats(8, 0.0f);
    floats[3] = std::numeric_limits<float>::infinity();
    floats[5] = 2.0f;
    writeText(path("infinite_label.nii"), niftiFile({2, 2, 2}, 16, 32, float32Labels(floats)));
    // The GIFTI library fills an ASCII array that holds fewer values than
    // its Dim0 declares with zeros.
    writeText(path("overstated.surf.gii"), giftiText({"0", "0", "0", "1", "0", "0", "0", "1", "0"}, {0, 1, 2}, 1000));
    // The GIFTI library dereferences a null array for a Data element outside
    // a DataArray: zevkalon dies with SIGSEGV.
    writeText(path("stray_data.surf.gii"),
              "<?xml version=\"1.0\"?>\n<GIFTI Version=\"1.0\" NumberOfDataArrays=\"1\"><Data>0 1 2</Data></GIFTI>\n");
    expectRefused({
        {"label table is a folder", {"--labels", "@folder.lut", "@labels.nii", "@grid.obj"}, 3, "folder.lut: "},
        {"negative dimension", {"@negative_size.nii", "@grid.obj"}, 3, "negative_size.nii: "},
        {"zero dimension", {"@zero_size.nii", "@grid.obj"}, 3, "zero_size.nii: "},
        {"no dimensions", {"@no_dimensions.nii", "@grid.obj"}, 3, "no_dimensions.nii: "},
        {"infinite label", {"@infinite_label.nii", "@grid.obj"}, 3, "infinite_label.nii: "},
        {"GIFTI more rows declared than given", {"@labels.nii", "@overstated.surf.gii"}, 3, "overstated.surf.gii: "},
        {"GIFTI data outside an array", {"@labels.nii", "@stray_data.surf.gii"}, 3, "stray_data.surf.gii: "},
    });
}

// Damage that the libraries read as something plausible (labels shifted,
// coordinates zero-filled, a volume without a place in world space) or
// spend minutes and gigabytes on: each is refused, quickly.
TEST_F(BadInputMatrix, DamageTheLibrariesWouldReadAsPlausibleIsRefused) {
    const GridScene scene;
    const std::string volume = scene.volume();
    const auto patched = [&](std::size_t offset, const std::string& bytes) {
        std::string copy = volume;
        copy.replace(offset, bytes.size(), bytes);
        return copy;
    };
    const auto binary = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); };
    writeText(path("inside_header.nii"), patched(108, binary(348.0f)));  // vox_offset
    writeText(path("bad_magic.nii"), patched(344, std::string("n+x\0", 4)));
    writeText(path("no_transform.nii"), patched(254, binary(std::int16_t(0))));  // sform_code; qform_code is 0
    writeText(path("packed.nii"), gzipped(volume));
    writeText(path("analyze.hdr"), patched(344, std::string(4, '\0')).substr(0, 348));
    writeText(path("pair.img"), uint8Labels(scene.labels));
    // 1290^3 voxels declared in a few hundred compressed bytes.
    writeText(path("overstated.nii.gz"), gzipped(niftiFile({1290, 1290, 1290}, 2, 8, uint8Labels(scene.labels))));

    const std::string base64 = scene.giftiEncoded("Base64Binary");
    const std::size_t data = base64.find("<Data>") + 6;
    writeText(path("cut.surf.gii"), base64.substr(0, data + 40) + base64.substr(base64.find("</Data>")));
    std::string rows = base64;
    rows.replace(rows.find("Dim0=\"100\""), 10, "Dim0=\"400\"");
    writeText(path("rows.surf.gii"), rows);
    std::string badChars = base64;
    badChars.replace(data + 8, 4, "!!!!");
    writeText(path("bad_chars.surf.gii"), badChars);
    std::string compressed = scene.giftiEncoded("GZipBase64Binary");
    std::string corrupt = compressed;
    corrupt.replace(corrupt.find("<Data>") + 6, 4, "AAAA");
    writeText(path("corrupt.surf.gii"), corrupt);
    compressed.replace(compressed.find("Dim0=\"100\""), 10, "Dim0=\"100000000\"");
    writeText(path("huge.surf.gii"), compressed);
    writeText(path("no_data_file.surf.gii"), scene.giftiEncoded("ExternalFileBinary", "missing.dat"));
    writeText(path("short.dat"), scene.externalData().substr(0, 1500));
    writeText(path("short_data_file.surf.gii"), scene.giftiEncoded("ExternalFileBinary", "short.dat"));

    expectRefused({
        {"vox_offset inside the header", {"@inside_header.nii", "@grid.obj"}, 3, "vox_offset 348 lies inside the header"},
        {"bad magic string", {"@bad_magic.nii", "@grid.obj"}, 3, "its magic string is \"n+x\""},
        {"no transform", {"@no_transform.nii", "@grid.obj"}, 3, "neither an sform nor a qform is set"},
        {"gzip data named .nii", {"@packed.nii", "@grid.obj"}, 3, "rename it to " + path("packed.nii.gz")},
        {"Analyze header", {"@analyze.hdr", "@grid.obj"}, 3, "an Analyze 7.5 header"},
        {"image half of a pair", {"@pair.img", "@grid.obj"}, 3, "give its header, " + path("pair.hdr")},
        {"1290^3 voxels in a small file", {"@overstated.nii.gz", "@grid.obj"}, 3, "compressed bytes can hold at most"},
        {"GIFTI base64 cut short", {"@labels.nii", "@cut.surf.gii"}, 3, "but its base64 data hold 30 bytes"},
        {"GIFTI more rows than data", {"@labels.nii", "@rows.surf.gii"}, 3, "DataArray 0 declares 1200 values"},
        {"GIFTI invalid base64", {"@labels.nii", "@bad_chars.surf.gii"}, 3, "the GIFTI library reports: 4 bad base64"},
        {"GIFTI corrupt compressed data", {"@labels.nii", "@corrupt.surf.gii"}, 3, "the GIFTI library reports: uncompress"},
        {"GIFTI 10^8 vertices declared", {"@labels.nii", "@huge.surf.gii"}, 3, "compressed bytes can hold"},
        {"GIFTI external file missing", {"@labels.nii", "@no_data_file.surf.gii"}, 3, "missing.dat"},
        {"GIFTI external file short", {"@labels.nii", "@short_data_file.surf.gii"}, 3, "which has 1500 bytes"},
    });
}

TEST_F(BadInputMatrix, CommonMistakesGetAMessageSayingWhatToDo) {
    std::vector<float> fractions(GridScene::kSide * GridScene::kSide * GridScene::kSide, 0.0f);
    fractions[123] = 0.25f;
    const int side = GridScene::kSide;
    writeText(path("probabilities.nii"), niftiFile({side, side, side}, 16, 32, float32Labels(fractions)));
    writeText(path("maps.nii"), niftiFile({side, side, side, 3}, 16, 32, float32Labels(fractions)));
    expectRefused({
        {"files in the wrong order", {"@grid.obj", "@labels.nii"}, 2, "but the label volume comes first"},
        {"a line feed in a path", {"@labels.nii", "@grid\n.obj"}, 2, "contains a line break"},
        {"probabilistic atlas", {"@probabilities.nii", "@grid.obj"}, 3, "maximum-probability label volume"},
        {"one map per region", {"@maps.nii", "@grid.obj"}, 3, "a probabilistic atlas with one volume per region"},
    });
}

// Valid files that were refused or misread: a NIfTI pair given by its
// header, suffixes in capitals, a GIFTI file whose external data file is
// named relative to it (as Connectome Workbench writes them), read from
// another working folder. Each gives the POIs of the plain files.
TEST_F(BadInputMatrix, ValidVariantsOfTheInputsGiveTheSameResult) {
    const GridScene scene;
    const std::string volume = scene.volume();
    std::string header = volume.substr(0, 348);
    header.replace(344, 4, std::string("ni1\0", 4));
    const float dataAtStart = 0.0f;
    header.replace(108, 4, std::string(reinterpret_cast<const char*>(&dataAtStart), 4));
    writeText(path("pair.hdr"), header);
    writeText(path("pair.img"), volume.substr(352));
    writeText(path("GRID.OBJ"), scene.obj());
    writeText(path("grid.dat"), scene.externalData());
    writeText(path("EXTERNAL.SURF.GII"), scene.giftiEncoded("ExternalFileBinary", "grid.dat"));
    const auto poisOf = [&](const std::vector<std::string>& arguments, const std::string& poiName) {
        const ProcessResult result = runZevkalon(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.messages;
        const std::string poi = readText(path(poiName));
        return poi.substr(std::min(poi.size(), poi.find("NrOfMeshVertices")));
    };
    const std::string expected = poisOf({path("labels.nii"), path("grid.obj")}, "labels.poi");
    ASSERT_NE(expected.find("NrOfVertices:     9"), std::string::npos) << expected;
    EXPECT_EQ(poisOf({path("pair.hdr"), path("GRID.OBJ")}, "pair.poi"), expected);
    EXPECT_EQ(poisOf({"--voi-file", path("ext.voi"), path("labels.nii"), path("EXTERNAL.SURF.GII")}, "ext.poi"), expected);
}

// Inputs that the host documents as accepted: names longer than the host's
// VOI name field are cut with one warning, names are never read as format
// strings, and a long surface path is carried into the POI file unchanged.
TEST_F(BadInputMatrix, LongAndHostileNamesAreHandledAsDocumented) {
    const std::string longName = std::string(150, 'a') + std::string(150, 'b');
    const std::string formatName = "%s%n%x%p%99999d\"quoted\"";
    writeText(path("names.lut"), "1 " + longName + " 255 0 0 0\n2 " + formatName + " 0 0 255 0\n");
    std::string deep = dir_;
    while (deep.size() + 100 <= 980) {
        deep += "/" + std::string(99, 's');
        mkdir(deep.c_str(), 0755);
    }
    const std::string longSurface = deep + "/" + std::string(1000 - deep.size() - 5, 'g') + ".obj";
    ASSERT_EQ(longSurface.size(), 1000u);
    writeText(longSurface, GridScene().obj());

    const ProcessResult result = runZevkalon({"--labels", path("names.lut"), path("labels.nii"), longSurface});
    ASSERT_EQ(result.exitCode, 0) << result.messages;
    // One warning, for the long name only.
    EXPECT_NE(result.messages.find("zevkalon: warning: the name of label 1 is longer than 255 characters and was cut"),
              std::string::npos)
        << result.messages;
    EXPECT_EQ(result.messages.find("label 2"), std::string::npos) << result.messages;
    const std::string cut = longName.substr(0, 255);
    EXPECT_NE(result.log.find("Plugin>  Converted voi \"" + cut + "\" of 9 voxels to 9 poi vertices"), std::string::npos)
        << result.log;
    EXPECT_NE(result.log.find("Plugin>  Converted voi \"" + formatName + "\" of 9 voxels"), std::string::npos)
        << result.log;
    const std::string poi = readText(path("labels.poi"));
    EXPECT_NE(poi.find("NameOfPOI:        \"" + cut + "\"\n"), std::string::npos);
    EXPECT_NE(poi.find("NameOfPOI:        \"" + formatName + "\"\n"), std::string::npos);
    EXPECT_NE(poi.find("FromMeshFile:     \"" + longSurface + "\"\n"), std::string::npos);
}

}  // namespace
}  // namespace zevkalon::robustness

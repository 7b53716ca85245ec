#include "host/app/cli_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host/host_error.h"

namespace zevkalon {
namespace {

TEST(CliOptions, DefaultsFlagsAndBothValueForms) {
    const HostOptions plain = parseCommandLine({"a.nii", "b.obj"});
    EXPECT_EQ(plain.mode, HostMode::Run);
    EXPECT_EQ(plain.volumePath, "a.nii");
    EXPECT_EQ(plain.surfacePath, "b.obj");
    EXPECT_EQ(plain.parameters.get("From"), -1.0);
    EXPECT_EQ(plain.parameters.get("To"), 3.0);
    for (const char* name : {"NoOverlap", "LargestPatch", "FillHoles", "NrSmooth"}) {
        EXPECT_EQ(plain.parameters.get(name), 0.0) << name;
    }

    const HostOptions set = parseCommandLine({"--largest-patch", "a.nii", "--from=-2.5", "b.obj", "--to", "-0.5",
                                              "--smooth=4", "--labels", "lut.txt", "--voi-file=x/r.voi",
                                              "--plugin", "p.so", "--export-label-gii", "o.gii"});
    EXPECT_EQ(set.parameters.get("LargestPatch"), 1.0);
    EXPECT_EQ(set.parameters.get("NoOverlap"), 0.0);
    EXPECT_EQ(set.parameters.get("From"), -2.5);
    EXPECT_EQ(set.parameters.get("To"), -0.5);
    EXPECT_EQ(set.parameters.get("NrSmooth"), 4.0);
    EXPECT_EQ(set.labelsPath, "lut.txt");
    EXPECT_EQ(set.voiFile, "x/r.voi");
    EXPECT_EQ(set.pluginPath, "p.so");
    EXPECT_EQ(set.exportLabelGii, "o.gii");
    EXPECT_EQ(set.volumePath, "a.nii");

    // After "--" a name that starts with a dash is a file.
    EXPECT_EQ(parseCommandLine({"a.nii", "--", "-odd.obj"}).surfacePath, "-odd.obj");
    const HostOptions demo = parseCommandLine({"demo", "--out-dir", "out"});
    EXPECT_EQ(demo.mode, HostMode::Demo);
    EXPECT_EQ(demo.outDir, "out");
    EXPECT_EQ(parseCommandLine({"x", "--help"}).mode, HostMode::Help);
    EXPECT_EQ(parseCommandLine({"a", "b", "--structure", "CORTEX_LEFT"}).structure, "CortexLeft");
}

TEST(CliOptions, RefusalsAreUsageErrorsNamingTheArgument) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"a", "b", "--no-overlap=1"}, "option --no-overlap takes no value"},
        {{"a", "b", "--from", "1", "--from", "2"}, "option --from is given twice"},
        {{"a", "b", "--smooth", "1.5"}, "--smooth expects a whole number, not \"1.5\""},
        {{"a", "b", "--from", "nan"}, "--from expects a number"},
        {{"a", "b", "--to", "10.5"}, "--to 10.5 is outside the range -10 to 10"},
        {{"a", "b", "--labels="}, "option --labels needs a non-empty value"},
        {{"a", "b", "-x"}, "unknown option -x"},
        {{"a", "b", "c"}, "too many file arguments (\"c\")"},
        {{}, "missing the volume and surface files"},
        {{"a", "b", "--out-dir", "d"}, "--out-dir is only for demo"},
        {{"demo", "extra"}, "demo takes no file arguments"},
        {{"a", "b", "--structure", "LeftCortex"}, "--structure LeftCortex is not a structure"},
        {{"a", "b", "--report", "pois.txt"}, "--report pois.txt must end in .tsv"},
    };
    for (const auto& [arguments, message] : cases) {
        try {
            parseCommandLine(arguments);
            ADD_FAILURE() << "accepted: " << message;
        } catch (const HostError& error) {
            EXPECT_EQ(error.code(), kExitUsage);
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
}

// The dialog script and the command line must offer the same parameters
// with the same defaults and ranges.
TEST(CliOptions, DefaultsAndRangesMatchTheDialogScript) {
    std::ifstream in(std::string(TESSARIN_SOURCE_DIR) + "/plugin_files/Tessarin.js");
    std::stringstream script;
    script << in.rdbuf();
    const std::string text = script.str();
    // Each parameter is one "{ name: ..., type: ..., default: ..., min: ..., max: ... }".
    struct Entry {
        std::string name, type;
        double defaultValue, minimum, maximum;
    };
    const auto field = [](const std::string& entry, const std::string& key) {
        const std::size_t at = entry.find(key + ":");
        if (at == std::string::npos) return std::string();
        std::size_t start = entry.find_first_not_of(" \"", at + key.size() + 1);
        std::size_t stop = entry.find_first_of(",\"}", start);
        return entry.substr(start, stop - start);
    };
    std::vector<Entry> found;
    for (std::size_t at = text.find("{ name:"); at != std::string::npos; at = text.find("{ name:", at + 1)) {
        const std::string entry = text.substr(at, text.find('}', at) - at);
        found.push_back({field(entry, "name"), field(entry, "type"), std::stod(field(entry, "default")),
                         std::stod(field(entry, "min")), std::stod(field(entry, "max"))});
    }
    ASSERT_EQ(found.size(), dialogParameters().size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        const DialogParameter& parameter = dialogParameters()[i];
        EXPECT_EQ(found[i].name, parameter.name);
        EXPECT_EQ(found[i].type, parameter.isFloat ? "float" : "int") << parameter.name;
        EXPECT_EQ(found[i].defaultValue, parameter.defaultValue) << parameter.name;
        EXPECT_EQ(found[i].minimum, parameter.minimum) << parameter.name;
        EXPECT_EQ(found[i].maximum, parameter.maximum) << parameter.name;
    }
    // The plug-in reads exactly these names, in this order.
    const char* names[] = {"From", "To", "NoOverlap", "LargestPatch", "FillHoles", "NrSmooth"};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_STREQ(dialogParameters()[i].name, names[i]);
}

}  // namespace
}  // namespace zevkalon

// The host function table and its binding, against fake host modules that
// each test loads into this process.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#include "shell/host_functions.h"
#include "shell/host_table.h"
#include "tests/fake_host/plugin_harness.h"

using fakehost::FakeHostModule;
using fakehost::PluginHarness;
using tessarin::shell::HostFunctionId;
using tessarin::shell::hostFunctionAddress;
using tessarin::shell::hostFunctionName;
using tessarin::shell::kHostFunctionCount;

namespace {

constexpr bool kDontLoadPlugin = false;

std::vector<tessarin::shell::HostFunctionAddress> tableSnapshot() {
    std::vector<tessarin::shell::HostFunctionAddress> entries;
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) entries.push_back(hostFunctionAddress(i));
    return entries;
}

std::size_t boundEntries() {
    std::size_t n = 0;
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) n += hostFunctionAddress(i) != nullptr ? 1 : 0;
    return n;
}

// The fourteen functions the plug-in calls.
const std::set<std::string>& calledFunctions() {
    static const std::set<std::string> names = {
#define ZK_NAME(result, name, params, args) #name,
        ZK_CALLED_HOST_FUNCTIONS(ZK_NAME)
#undef ZK_NAME
    };
    return names;
}

// Each test leaves the table unbound again: entries that point into a
// module unloaded at the end of the test must not be used afterwards (the
// log stream writes at process exit when the table is bound).
class Binding : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_FALSE(bindHostFunctions()); }
};

}  // namespace

TEST(HostFunctionNames, AreTheHundredAndFiftyDistinctNamesWithTheVersionFirst) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) names.insert(hostFunctionName(i));
    EXPECT_EQ(names.size(), 150u);
    EXPECT_STREQ(hostFunctionName(0), "zkGetVersionOfZevkalon");
    EXPECT_STREQ(hostFunctionName(149), "zkLaunchICADialog");
    for (const std::string& called : calledFunctions()) EXPECT_EQ(names.count(called), 1u) << called;
    EXPECT_STREQ(hostFunctionName(static_cast<std::size_t>(HostFunctionId::zkLogText)), "zkLogText");
}

TEST(VersionAtLeast, ComparesComponentsAsSignedNumbersMostSignificantFirst) {
    EXPECT_TRUE(versionAtLeast(2, 2, 0, 2, 2, 0));
    EXPECT_FALSE(versionAtLeast(2, 1, 99, 2, 2, 0));
    EXPECT_TRUE(versionAtLeast(2, 3, 0, 2, 2, 0));
    EXPECT_TRUE(versionAtLeast(3, 0, 0, 2, 2, 0));
    EXPECT_FALSE(versionAtLeast(1, 99, 99, 2, 2, 0));
    EXPECT_FALSE(versionAtLeast(2, 2, -1, 2, 2, 0));
    EXPECT_TRUE(versionAtLeast(2, 10, 0, 2, 2, 0));
    EXPECT_TRUE(versionAtLeast(2, 2, 1, 2, 2, 0));
    EXPECT_FALSE(versionAtLeast(-3, 5, 5, 2, 2, 0));
    EXPECT_TRUE(versionAtLeast(0, 0, 0, -1, 9, 9));
}

TEST_F(Binding, WithoutAHostModuleFailsAndLeavesTheTableAlone) {
    const auto before = tableSnapshot();
    EXPECT_FALSE(bindHostFunctions());
    EXPECT_FALSE(hostFunctionsBound());
    EXPECT_EQ(tableSnapshot(), before);
    // A forwarder refuses a null entry with an error that names the function.
    try {
        zkLoadPOIs("x.poi");
        ADD_FAILURE() << "no exception";
    } catch (const MissingHostFunction& missing) {
        EXPECT_STREQ(missing.what(), "Host function zkLoadPOIs is not available");
        EXPECT_EQ(missing.functionName(), "zkLoadPOIs");
    }
    // A successful binding followed by one without a host keeps every entry.
    {
        PluginHarness harness({FakeHostModule::Zevkalon}, kDontLoadPlugin);
        ASSERT_TRUE(bindHostFunctions());
    }
    const auto bound = tableSnapshot();
    EXPECT_EQ(boundEntries(), 14u);
    EXPECT_FALSE(bindHostFunctions());
    EXPECT_FALSE(hostFunctionsBound());
    EXPECT_EQ(tableSnapshot(), bound);
    // The kept entries point into a module that is gone: never called.
    EXPECT_THROW(zkLogText("into an unloaded module"), MissingHostFunction);
}

TEST_F(Binding, FillsTheCalledEntriesFromZevkalonAndForwardsUnchanged) {
    PluginHarness harness({FakeHostModule::Zevkalon}, kDontLoadPlugin);
    ASSERT_TRUE(bindHostFunctions());
    EXPECT_TRUE(hostFunctionsBound());
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
        const bool called = calledFunctions().count(hostFunctionName(i)) == 1;
        EXPECT_EQ(hostFunctionAddress(i) != nullptr, called) << hostFunctionName(i);
    }

    fakehost::Scene& scene = harness.scene();
    scene.version[0] = 7;
    scene.version[1] = -8;
    scene.version[2] = 9;
    scene.documentTypes = {4, 3, 11};
    scene.floatParameters["From"] = -1.25f;
    scene.intParameters["NrSmooth"] = 12;
    scene.vois.push_back({"Left V1", 0x102030, {1, 2, 3, 4, 5, 6}});
    std::int32_t major = 0, minor = 0, third = 0;
    EXPECT_EQ(zkGetVersionOfZevkalon(&major, &minor, &third), 1);
    EXPECT_EQ(major, 7);
    EXPECT_EQ(minor, -8);
    EXPECT_EQ(third, 9);
    EXPECT_EQ(zkGetNumberOfDocsInWorkspace(), 3);
    EXPECT_EQ(zkGetDocumentType(2), 11);
    EXPECT_EQ(zkGetFloatParameter("From"), -1.25f);
    EXPECT_EQ(zkGetIntParameter("NrSmooth"), 12);
    VOIInfo info{};
    const std::int32_t* voxels = zkGetVOI(0, &info);
    ASSERT_NE(voxels, nullptr);
    EXPECT_EQ(voxels[5], 6);
    EXPECT_EQ(info.NrOfVoxels, 2);
    EXPECT_STREQ(info.Name, "Left V1");
    EXPECT_EQ(info.Color, 0x102030);
    zkLoadPOIs("/data/rois.poi");
    EXPECT_EQ(harness.host().callStrings(),
              (std::vector<std::string>{"zkGetVersionOfZevkalon()", "zkGetNumberOfDocsInWorkspace()",
                                        "zkGetDocumentType(2)", "zkGetFloatParameter(From)",
                                        "zkGetIntParameter(NrSmooth)", "zkGetVOI(0)",
                                        "zkLoadPOIs(/data/rois.poi)"}));
}

TEST_F(Binding, PrefersZevkalonOverZevkarWhateverTheLoadOrder) {
    PluginHarness harness({FakeHostModule::Zevkar, FakeHostModule::Zevkalon}, kDontLoadPlugin);
    ASSERT_TRUE(bindHostFunctions());
    zkLogText("to the host");
    EXPECT_TRUE(harness.host(0).calls.empty());
    EXPECT_EQ(harness.host(1).textsOf("zkLogText"), std::vector<std::string>{"to the host"});
}

TEST_F(Binding, FallsBackToZevkar) {
    PluginHarness harness({FakeHostModule::Zevkar}, kDontLoadPlugin);
    ASSERT_TRUE(bindHostFunctions());
    EXPECT_EQ(boundEntries(), 14u);
    zkMessageBox("hello");
    EXPECT_EQ(harness.host().textsOf("zkMessageBox"), std::vector<std::string>{"hello"});
}

TEST_F(Binding, AcceptsAHostWithOnlyTheVersionFunction) {
    PluginHarness harness({FakeHostModule::ZevkalonVersionOnly}, kDontLoadPlugin);
    ASSERT_TRUE(bindHostFunctions());
    EXPECT_TRUE(hostFunctionsBound());
    EXPECT_EQ(boundEntries(), 1u);
    EXPECT_NE(hostFunctionAddress(HostFunctionId::zkGetVersionOfZevkalon), nullptr);
    EXPECT_THROW(zkShowLogTab(), MissingHostFunction);
    try {
        zkGetVOI(0, nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const MissingHostFunction& missing) {
        EXPECT_STREQ(missing.what(), "Host function zkGetVOI is not available");
    }
}

TEST_F(Binding, RefusesAHostWithoutTheVersionFunctionEvenWhenADependencyHasIt) {
    // A complete binding first, so that the entries hold something.
    {
        PluginHarness harness({FakeHostModule::Zevkalon}, kDontLoadPlugin);
        ASSERT_TRUE(bindHostFunctions());
    }
    const auto logEntry = hostFunctionAddress(HostFunctionId::zkLogText);
    PluginHarness harness({FakeHostModule::ZevkalonWithoutVersion}, kDontLoadPlugin);
#if !defined(_WIN32)
    // The trap is real: a plain look-up in the module finds its dependency's function.
    void* module = dlopen(fakehost::modulePath(FakeHostModule::ZevkalonWithoutVersion).c_str(),
                          RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(dlsym(module, "zkGetVersionOfZevkalon"), nullptr);
    dlclose(module);
#endif
    EXPECT_FALSE(bindHostFunctions());
    EXPECT_FALSE(hostFunctionsBound());
    // Only the version entry was written; the others keep what they held.
    EXPECT_EQ(hostFunctionAddress(HostFunctionId::zkGetVersionOfZevkalon), nullptr);
    EXPECT_EQ(hostFunctionAddress(HostFunctionId::zkLogText), logEntry);
    EXPECT_THROW(zkLogText("after a failed binding"), MissingHostFunction);
    EXPECT_TRUE(harness.host().calls.empty());
}

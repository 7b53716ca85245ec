// The host as the main program: this test program is built as "ZEVKALON"
// (no ".exe", other case) and exports the fake host functions itself, the way
// a Linux build of the host does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/host_functions.h"
#include "shell/host_table.h"
#include "tests/fake_host/plugin_harness.h"

// Compiled into this program from fake_host.cpp.
extern "C" fakehost::FakeHost* fakeHostInstance();

TEST(MainProgramBinding, TheExecutableItselfIsTheHostModule) {
    // At library load every entry is null.
    for (std::size_t i = 0; i < tessarin::shell::kHostFunctionCount; ++i) {
        EXPECT_EQ(tessarin::shell::hostFunctionAddress(i), nullptr) << tessarin::shell::hostFunctionName(i);
    }
    fakehost::FakeHost& self = *fakeHostInstance();
    self.reset();
    // A "Zevkar.exe" beside it loses: the main program matches "Zevkalon.exe".
    fakehost::PluginHarness zevkar({fakehost::FakeHostModule::Zevkar}, false);
    ASSERT_TRUE(bindHostFunctions());
    zkLogText("from the plug-in");
    EXPECT_EQ(zkGetDocumentType(1), ZK_DOCUMENT_TYPE_SRF);
    EXPECT_EQ(self.callStrings(), (std::vector<std::string>{"zkLogText(from the plug-in)", "zkGetDocumentType(1)"}));
    EXPECT_TRUE(zevkar.host().calls.empty());
}

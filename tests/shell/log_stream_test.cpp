// The log stream: what reaches zkLogText, when, and in how many calls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/host_functions.h"
#include "shell/zkr_log.h"
#include "tests/fake_host/plugin_harness.h"

using fakehost::FakeHostModule;
using fakehost::PluginHarness;
using Texts = std::vector<std::string>;

namespace {

// pluginLog of this test program, bound to a freshly loaded fake host.
class LogStream : public ::testing::Test {
protected:
    void SetUp() override {
        harness_ = std::make_unique<PluginHarness>(std::vector<FakeHostModule>{FakeHostModule::Zevkalon}, false);
        ASSERT_TRUE(bindHostFunctions());
        // Whatever an earlier test left collected goes before this one starts.
        pluginLog.flush();
        clearCalls();
    }
    void TearDown() override {
        pluginLog.flush();
        harness_.reset();
        // Unbound again: the module is gone, nothing may be sent to it.
        EXPECT_FALSE(bindHostFunctions());
    }
    Texts logged() { return harness_->host().textsOf("zkLogText"); }
    void clearCalls() { harness_->clearCalls(); }

    std::unique_ptr<PluginHarness> harness_;
};

}  // namespace

TEST_F(LogStream, DeliversEverythingSinceTheLastFlushInOneCallOnlyOnFlush) {
    pluginLog << "Plugin>  VOI " << 3 << ": " << std::uint64_t{12345678901} << " vertices\n"
              << "second line";
    EXPECT_TRUE(logged().empty()) << "a line break or growth must not deliver";
    pluginLog.flush();
    EXPECT_EQ(logged(), Texts{"Plugin>  VOI 3: 12345678901 vertices\nsecond line"});

    clearCalls();
    pluginLog << "\nPlugin>  Filling holes" << std::flush;
    EXPECT_EQ(logged(), Texts{"\nPlugin>  Filling holes"});

    clearCalls();
    pluginLog << "once";
    pluginLog.flush();
    pluginLog.flush();
    EXPECT_EQ(logged(), (Texts{"once", ""}));

    clearCalls();
    pluginLog << std::endl;  // endl is a line break plus a flush
    EXPECT_EQ(logged(), Texts{"\n"});

    clearCalls();
    const std::string big(100000, 'x');
    pluginLog << big << big;
    EXPECT_TRUE(logged().empty());
    pluginLog.flush();
    EXPECT_EQ(logged(), Texts{big + big});
    EXPECT_TRUE(pluginLog.good());
}

TEST_F(LogStream, FormatsNumbersInTheDefaultGeneralNotation) {
    pluginLog << 0.5f << " " << -1.0f << " " << 2.25f << " " << 1234567.0f << " " << 3 << " " << 0.0001f << " "
              << 1e-5f << " " << 123456.0f << std::flush;
    EXPECT_EQ(logged(), Texts{"0.5 -1 2.25 1.23457e+06 3 0.0001 1e-05 123456"});
}

TEST_F(LogStream, DestroyingAStreamDeliversTheRestThenTheClosingLine) {
    {
        ZKRLog log;
        log << "unflushed " << 1.5f;
        EXPECT_TRUE(logged().empty());
    }
    EXPECT_EQ(logged(), (Texts{"unflushed 1.5", "Destructor of ZKRLog never called"}));

    clearCalls();
    { ZKRLog log; }
    EXPECT_EQ(logged(), (Texts{"", "Destructor of ZKRLog never called"}));
}

TEST(LogStreamUnbound, DropsTextWithoutAHostAndStaysUsable) {
    // Never bound in this process state: nothing to call, nothing may crash.
    ASSERT_FALSE(bindHostFunctions());
    {
        ZKRLog log;
        log << "nowhere" << std::flush;
        EXPECT_TRUE(log.good());
        log << "still nowhere";
    }
    pluginLog << "dropped" << std::flush;
    EXPECT_TRUE(pluginLog.good());

    // A host without zkLogText: bound, but the text still has nowhere to go.
    {
        PluginHarness versionOnly({FakeHostModule::ZevkalonVersionOnly}, false);
        ASSERT_TRUE(bindHostFunctions());
        pluginLog << "lost" << std::flush;
        EXPECT_TRUE(pluginLog.good());
        { ZKRLog log; }
    }
    // Once a real host is bound the stream works, without the dropped text.
    {
        PluginHarness harness({FakeHostModule::Zevkalon}, false);
        ASSERT_TRUE(bindHostFunctions());
        pluginLog << "fresh" << std::flush;
        EXPECT_EQ(harness.host().textsOf("zkLogText"), Texts{"fresh"});
    }
    EXPECT_FALSE(bindHostFunctions());
}

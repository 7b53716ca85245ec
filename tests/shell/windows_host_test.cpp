// A small Windows host: this program exports the fake host functions itself
// and loads Tessarin.dll, as the real host does. It runs under three file
// names: "Zevkalon.exe", "Zevkar.exe" (a copy) and "Unrelated.exe" (a copy
// that no binding may accept).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "shell/plugin_interface.h"
#include "tests/fake_host/fake_host.h"

// Compiled into this program from fake_host.cpp.
extern "C" fakehost::FakeHost* fakeHostInstance();

namespace {

using Texts = std::vector<std::string>;

std::string ownFileName() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path);
    return full.substr(full.find_last_of("\\/") + 1);
}

bool runningAsHost() {
    const std::string name = ownFileName();
    return lstrcmpiA(name.c_str(), "Zevkalon.exe") == 0 || lstrcmpiA(name.c_str(), "Zevkar.exe") == 0;
}

// Loads the plug-in, runs createPlugin and initPlugin, deletes the object and
// unloads the plug-in; returns initPlugin's result.
bool startUpAndUnload() {
    HMODULE plugin = LoadLibraryA(TESSARIN_PLUGIN_PATH);
    if (plugin == nullptr) throw std::runtime_error("cannot load " TESSARIN_PLUGIN_PATH);
    auto create = reinterpret_cast<CreatePluginFn>(reinterpret_cast<void (*)()>(GetProcAddress(plugin, "createPlugin")));
    if (create == nullptr) throw std::runtime_error("createPlugin not exported");
    ZKRPluginInterface* object = create();
    const bool accepted = object->initPlugin();
    delete object;
    FreeLibrary(plugin);
    return accepted;
}

const Texts kFullLog = {" ", "Plugin>  Running Tessarin Plugin...", "Plugin>",
                        "Plugin>  Tessarin Plugin finished!", " ", "", "Destructor of ZKRLog never called"};

}  // namespace

TEST(WindowsHost, ExportsTheHostFunctionsFromTheExecutable) {
    HMODULE self = GetModuleHandleA(nullptr);
    EXPECT_NE(GetProcAddress(self, "zkGetVersionOfZevkalon"), nullptr);
    EXPECT_NE(GetProcAddress(self, "zkLoadPOIs"), nullptr);
}

TEST(WindowsHost, TheGettersWorkWithoutBinding) {
    fakehost::FakeHost& host = *fakeHostInstance();
    host.reset();
    HMODULE plugin = LoadLibraryA(TESSARIN_PLUGIN_PATH);
    ASSERT_NE(plugin, nullptr);
    auto text = [&](const char* name) {
        auto getter = reinterpret_cast<PluginTextFn>(reinterpret_cast<void (*)()>(GetProcAddress(plugin, name)));
        return getter != nullptr ? std::string(getter()) : std::string("(missing)");
    };
    EXPECT_EQ(text("getPluginName"), "Tessarin");
    EXPECT_EQ(text("getPluginDescription"), "Creates a POI from a VOI");
    EXPECT_EQ(text("getAuthor"), "<i>RK</i>");
    EXPECT_EQ(text("getHelpFile"), "HelpFolder/index.html");
    EXPECT_EQ(text("getGUIScript"), "Tessarin.js");
    EXPECT_EQ(text("getPluginVersion"), "3.5");
    FreeLibrary(plugin);
    // Never bound: not even the unload lines.
    EXPECT_TRUE(host.calls.empty());
}

TEST(WindowsHost, BindsThroughTheModuleNameAndShowsTheStartUpMessages) {
    fakehost::FakeHost& host = *fakeHostInstance();
    host.reset();
    const bool accepted = startUpAndUnload();
    if (!runningAsHost()) {
        // Neither "Zevkalon.exe" nor "Zevkar.exe" is loaded: silent refusal.
        EXPECT_FALSE(accepted);
        EXPECT_TRUE(host.calls.empty()) << host.callStrings().front();
        return;
    }
    EXPECT_TRUE(accepted);
    EXPECT_EQ(host.textsOf("zkLogText"), kFullLog);
    EXPECT_EQ(host.count("zkMessageBox"), 0u);

    host.reset();
    host.scene.version[1] = 1;
    EXPECT_FALSE(startUpAndUnload());
    EXPECT_EQ(host.textsOf("zkMessageBox"),
              Texts{"Can not execute this plugin - Zevkalon version 2.2 or higher required."});
    EXPECT_EQ(host.textsOf("zkLogText"), (Texts{"Plugin>  Tessarin Plugin finished!", " ", "",
                                                "Destructor of ZKRLog never called"}));

    host.reset();
    host.scene.documentTypes = {ZK_DOCUMENT_TYPE_VMR, ZK_DOCUMENT_TYPE_SRF, ZK_DOCUMENT_TYPE_SRF};
    EXPECT_FALSE(startUpAndUnload());
    EXPECT_EQ(host.textsOf("zkMessageBox"),
              Texts{"2 Documents should be open: \n\n 1. A VMR with VOIs loaded. \n 2. A corresponding SRF."});
    EXPECT_EQ(host.textsOf("zkLogText"), kFullLog);

    host.reset();
    host.scene.documentTypes = {ZK_DOCUMENT_TYPE_VMR, ZK_DOCUMENT_TYPE_VMR};
    EXPECT_FALSE(startUpAndUnload());
    EXPECT_EQ(host.textsOf("zkMessageBox"), Texts{"The second document should be a SRF document."});
    EXPECT_EQ(host.scene.currentDocument, 0);
}

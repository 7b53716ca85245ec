// A small Windows host: this program exports the fake host functions itself
// and loads Tessarin.dll, as the real host does, and calls the plug-in object
// as a host built with the Microsoft compiler does (msvc_plugin_calls.h). It
// runs under three file names: "Zevkalon.exe", "Zevkar.exe" (a copy) and
// "Unrelated.exe" (a copy that no binding may accept).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/runtime/msvc_plugin_calls.h"
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

// The plug-in module, loaded for one test and unloaded after it.
class LoadedPlugin {
public:
    LoadedPlugin() : module_(LoadLibraryA(TESSARIN_PLUGIN_PATH)) {
        if (module_ == nullptr) throw std::runtime_error("cannot load " TESSARIN_PLUGIN_PATH);
    }
    ~LoadedPlugin() { FreeLibrary(module_); }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    HMODULE module() const { return module_; }
    void* symbol(const char* name) const {
        void* address = reinterpret_cast<void*>(GetProcAddress(module_, name));
        if (address == nullptr) throw std::runtime_error(std::string("not exported: ") + name);
        return address;
    }
    template <typename Function>
    Function function(const char* name) const {
        return reinterpret_cast<Function>(symbol(name));
    }
    MsvcPluginObject* create() const { return function<CreatePluginFn>("createPlugin")(); }

private:
    HMODULE module_;
};

// Loads the plug-in, runs createPlugin and initPlugin, deletes the object and
// unloads the plug-in; returns initPlugin's result.
bool startUpAndUnload() {
    LoadedPlugin plugin;
    MsvcPluginObject* object = plugin.create();
    const bool accepted = msvcCallInitPlugin(object);
    msvcDelete(object);
    return accepted;
}

// What the plug-in module itself gives back to the heap, seen by pointing its
// import of HeapFree at recordingHeapFree.
std::vector<void*> freedByPlugin;

BOOL WINAPI recordingHeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
    freedByPlugin.push_back(memory);
    return HeapFree(heap, flags, memory);
}

void redirectImport(HMODULE module, const char* function, const void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         dll->Name != 0; ++dll) {
        const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
            return;
        }
    }
    throw std::runtime_error(std::string("the plug-in does not import ") + function);
}

using Constructor = MsvcPluginObject* (*)(MsvcPluginObject*);
using CopyMember = MsvcPluginObject* (*)(MsvcPluginObject*, const MsvcPluginObject*);

const Texts kFullLog = {" ", "Plugin>  Running Tessarin Plugin...", "Plugin>",
                        "Plugin>  Tessarin Plugin finished!", " ", "", "Destructor of ZKRLog never called"};
// Opening lines and closing banner: a start-up and a delete, before the unload.
const Texts kStartUpAndDelete(kFullLog.begin(), kFullLog.begin() + 5);

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

TEST(WindowsHost, TheObjectHasTheMicrosoftLayout) {
    fakeHostInstance()->reset();
    LoadedPlugin plugin;
    MsvcPluginObject* object = plugin.create();
    const MsvcPluginVtable* table = object->vtable;
    EXPECT_EQ(static_cast<const void*>(table), plugin.symbol("??_7Tessarin@@6B@"));
    // One slot for the (deleting) destructor, then execute, then initPlugin.
    EXPECT_EQ(reinterpret_cast<void*>(table->execute), plugin.symbol("?execute@Tessarin@@UEAA_NXZ"));
    EXPECT_EQ(reinterpret_cast<void*>(table->initPlugin), plugin.symbol("?initPlugin@Tessarin@@UEAA_NXZ"));
    msvcDelete(object);

    // The interfaces: constructors set the class's table and return this; the
    // assignment returns this and copies nothing; both operations are pure.
    struct InterfaceMembers {
        const char* table;
        const char* construct;
        const char* copyConstruct;
        const char* assign;
    };
    const InterfaceMembers interfaces[] = {
        {"??_7ZKRPluginInterface@@6B@", "??0ZKRPluginInterface@@QEAA@XZ",
         "??0ZKRPluginInterface@@QEAA@AEBV0@@Z", "??4ZKRPluginInterface@@QEAAAEAV0@AEBV0@@Z"},
        {"??_7ZKRPluginInterface@static_intf@@6B@", "??0ZKRPluginInterface@static_intf@@QEAA@XZ",
         "??0ZKRPluginInterface@static_intf@@QEAA@AEBV01@@Z",
         "??4ZKRPluginInterface@static_intf@@QEAAAEAV01@AEBV01@@Z"}};
    for (const InterfaceMembers& members : interfaces) {
        const auto* interfaceTable = static_cast<const MsvcPluginVtable*>(plugin.symbol(members.table));
        MsvcPluginObject a{}, b{};
        EXPECT_EQ(plugin.function<Constructor>(members.construct)(&a), &a);
        EXPECT_EQ(a.vtable, interfaceTable);
        EXPECT_EQ(plugin.function<CopyMember>(members.copyConstruct)(&b, &a), &b);
        EXPECT_EQ(b.vtable, interfaceTable);
        b.vtable = table;
        EXPECT_EQ(plugin.function<CopyMember>(members.assign)(&b, &a), &b);
        EXPECT_EQ(b.vtable, table);
        EXPECT_EQ(interfaceTable->execute, interfaceTable->initPlugin) << members.table;
        EXPECT_NE(interfaceTable->execute, table->execute) << members.table;
    }
}

TEST(WindowsHost, SlotZeroDestroysAndFreesOnlyWhenBitZeroIsSet) {
    fakehost::FakeHost& host = *fakeHostInstance();
    host.reset();
    LoadedPlugin plugin;
    redirectImport(plugin.module(), "HeapFree", reinterpret_cast<const void*>(&recordingHeapFree));
    freedByPlugin.clear();
    const Texts closing = runningAsHost() ? Texts{"Plugin>  Tessarin Plugin finished!", " "} : Texts{};

    // delete: the closing banner, then the memory freed exactly once.
    MsvcPluginObject* object = plugin.create();
    msvcCallInitPlugin(object);
    host.calls.clear();
    EXPECT_EQ(msvcCallDeletingDestructor(object, MSVC_DELETE_FREES), object);
    EXPECT_EQ(host.textsOf("zkLogText"), closing);
    EXPECT_EQ(freedByPlugin, std::vector<void*>{object});

    // Flags 0, on an object whose memory the host owns (here its stack):
    // destroyed, not freed, and from then on a mere ZKRPluginInterface.
    freedByPlugin.clear();
    host.calls.clear();
    MsvcPluginObject local{};
    plugin.function<Constructor>("??0Tessarin@@QEAA@XZ")(&local);
    EXPECT_EQ(msvcCallDeletingDestructor(&local, 0), &local);
    EXPECT_EQ(host.textsOf("zkLogText"), closing);
    EXPECT_TRUE(freedByPlugin.empty());
    EXPECT_EQ(static_cast<const void*>(local.vtable), plugin.symbol("??_7ZKRPluginInterface@@6B@"));
}

TEST(WindowsHostDeathTest, APureSlotReportsTheCallAndStopsTheProcess) {
    EXPECT_DEATH(
        {
            LoadedPlugin plugin;
            MsvcPluginObject interfaceOnly{};
            plugin.function<Constructor>("??0ZKRPluginInterface@@QEAA@XZ")(&interfaceOnly);
            msvcCallExecute(&interfaceOnly);
        },
        "a pure virtual function of ZKRPluginInterface was called");
}

#if defined(TESSARIN_HAVE_MSVC_ABI_HOST)
// From msvc_abi_host.cpp, compiled for the Microsoft ABI.
extern "C" bool msvcAbiHostStartUp(CreatePluginFn createPlugin);
extern "C" bool msvcAbiHostSeesATessarin(MsvcPluginObject* plugin);
// The Microsoft runtime's type_info table, which that file's type descriptors
// point at. msvcrt.dll has it, but mingw's import library does not; nothing
// calls through it.
extern "C" const void* const msvcTypeInfoTable[2] __asm__("\"??_7type_info@@6B@\"") = {nullptr, nullptr};

TEST(WindowsHost, AHostCompiledForTheMicrosoftAbiDrivesThePlugin) {
    fakehost::FakeHost& host = *fakeHostInstance();
    host.reset();
    LoadedPlugin plugin;
    EXPECT_EQ(msvcAbiHostStartUp(plugin.function<CreatePluginFn>("createPlugin")), runningAsHost());
    EXPECT_EQ(host.textsOf("zkLogText"), runningAsHost() ? kStartUpAndDelete : Texts{});
    MsvcPluginObject* object = plugin.create();
    EXPECT_TRUE(msvcAbiHostSeesATessarin(object));
    msvcDelete(object);
}
#endif

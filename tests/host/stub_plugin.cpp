// Stand-in plug-ins for the host's own tests: each build of this file (chosen
// with STUB_MODE) misbehaves in one way the host must handle. They call the
// host's exported functions found by name in the running program, as the
// real plug-in does.
#include <dlfcn.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "shell/host_api.h"
#include "shell/plugin_interface.h"

#define STUB_REFUSE 1
#define STUB_BAD_POI 2
#define STUB_THROWS 3
#define STUB_NO_FACTORY 4


namespace {

template <typename Fn>
Fn host(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}

void log(const char* text) {
    if (auto logText = host<zkLogText_fn>("zkLogText")) logText(text);
}

class StubPlugin : public ZKRPluginInterface {
public:
    ~StubPlugin() override { log("stub: destroyed"); }
    bool initPlugin() override {
        log("stub: initPlugin");
        return STUB_MODE != STUB_REFUSE;
    }
    bool execute() override {
        log("stub: execute");
        if (STUB_MODE == STUB_THROWS) throw std::runtime_error("stub failure");
        VOIsInfo vois{};
        host<zkGetVOIs_fn>("zkGetVOIs")(&vois);
        std::string path = vois.FileName;
        path = path.substr(0, path.rfind('.')) + ".poi";
        // Line 10 holds a name without its closing quote.
        std::ofstream(path) << "FileVersion:      2\n\nFromMeshFile:     \"x\"\n\nNrOfMeshVertices: 400\n\n\n"
                               "NrOfPOIs:         1\n\nNameOfPOI:        \"broken\n";
        host<zkLoadPOIs_fn>("zkLoadPOIs")(path.c_str());
        return true;
    }
};

}  // namespace

#if STUB_MODE != STUB_NO_FACTORY
extern "C" __attribute__((visibility("default"))) ZKRPluginInterface* createPlugin() noexcept { return new StubPlugin(); }
#else
extern "C" __attribute__((visibility("default"))) int notAPlugin() { return 0; }
#endif

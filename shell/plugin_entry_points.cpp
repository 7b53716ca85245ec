// The seven C entry points through which the host finds and creates the plug-in.
#include <new>

#include "shell/tessarin.h"

// The texts are static arrays, so every call returns the same pointer and
// the host may keep it while the library is loaded.
namespace {
constexpr char kPluginName[] = "Tessarin";
constexpr char kPluginDescription[] = "Creates a POI from a VOI";
constexpr char kAuthor[] = "<i>RK</i>";
constexpr char kHelpFile[] = "HelpFolder/index.html";
constexpr char kGUIScript[] = "Tessarin.js";
constexpr char kPluginVersion[] = "3.5";
}  // namespace

extern "C" {

ZKRPluginInterface* createPlugin() noexcept {
    // nothrow: an exception must not unwind into the host's frames.
    return new (std::nothrow) Tessarin();
}

const char* getPluginName() noexcept { return kPluginName; }
const char* getPluginDescription() noexcept { return kPluginDescription; }
const char* getAuthor() noexcept { return kAuthor; }
const char* getHelpFile() noexcept { return kHelpFile; }
const char* getGUIScript() noexcept { return kGUIScript; }
const char* getPluginVersion() noexcept { return kPluginVersion; }

}  // extern "C"

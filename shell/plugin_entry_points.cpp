// The seven C entry points through which the host finds and creates the plug-in.
#include "shell/plugin_interface.h"

#if defined(_WIN32)
#include "shell/msvc_classes_windows.h"
#else
#include <new>

#include "shell/tessarin.h"
#endif

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

PluginObject* createPlugin() noexcept {
#if defined(_WIN32)
    return newMsvcTessarin();
#else
    // nothrow: an exception must not unwind into the host's frames.
    return new (std::nothrow) Tessarin();
#endif
}

const char* getPluginName() noexcept { return kPluginName; }
const char* getPluginDescription() noexcept { return kPluginDescription; }
const char* getAuthor() noexcept { return kAuthor; }
const char* getHelpFile() noexcept { return kHelpFile; }
const char* getGUIScript() noexcept { return kGUIScript; }
const char* getPluginVersion() noexcept { return kPluginVersion; }

}  // extern "C"

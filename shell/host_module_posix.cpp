// Finding the host module on POSIX systems, where no loader call finds an
// object by file name: walk the loaded objects instead.
#if !defined(_WIN32)

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "shell/host_module.h"

namespace tessarin::shell {
namespace {

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The executable's own file, since the loader lists it without a name.
std::string mainProgramPath() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return std::string();
    return std::string(buffer, static_cast<std::size_t>(length));
}

// "Zevkalon.exe" is matched by "zevkalon.exe" and by "ZEVKALON": a Linux
// build of the host has no ".exe" suffix.
bool fileNameMatches(const std::string& candidate, const char* wanted) {
    if (strcasecmp(candidate.c_str(), wanted) == 0) return true;
    const std::size_t wantedLength = std::strlen(wanted);
    const char* suffix = ".exe";
    if (wantedLength > 4 && strcasecmp(wanted + wantedLength - 4, suffix) == 0) {
        return candidate.size() == wantedLength - 4 &&
               strncasecmp(candidate.c_str(), wanted, wantedLength - 4) == 0;
    }
    return false;
}

struct Search {
    const char* wanted;
    int visited;
    HostModule result;
};

int visitObject(dl_phdr_info* info, size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    // The loader lists the main program first, and without a name.
    const bool unnamed = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
    const bool isMain = unnamed && search->visited++ == 0;
    if (unnamed && !isMain) return 0;
    const std::string path = isMain ? mainProgramPath() : std::string(info->dlpi_name);
    if (path.empty() || !fileNameMatches(baseName(path), search->wanted)) return 0;
    HostModule& module = search->result;
    module.found = true;
    module.isMainProgram = isMain;
    module.path = isMain ? std::string() : path;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD) continue;
        const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        module.segments.emplace_back(start, start + segment.p_memsz);
    }
    return 1;  // stop: the first match in load order wins
}

}  // namespace

HostModule findLoadedModule(const char* fileName) {
    Search search{fileName, 0, HostModule()};
    dl_iterate_phdr(visitObject, &search);
    return search.result;
}

HostFunctionAddress findExportedFunction(const HostModule& module, const char* name) {
    if (!module) return nullptr;
    // RTLD_NOLOAD only hands out a handle to an object that is loaded
    // already; the matching dlclose gives back the reference it took, so the
    // host module's load count is the same afterwards.
    void* handle = module.isMainProgram ? dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD)
                                        : dlopen(module.path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) return nullptr;
    void* symbol = dlsym(handle, name);
    dlclose(handle);
    if (symbol == nullptr) return nullptr;
    // dlsym also searches the object's dependencies (and, for the main
    // program, the global scope); only a definition inside the module counts.
    const auto address = reinterpret_cast<std::uintptr_t>(symbol);
    for (const auto& [start, end] : module.segments) {
        if (address >= start && address < end) return reinterpret_cast<HostFunctionAddress>(symbol);
    }
    return nullptr;
}

}  // namespace tessarin::shell

#endif  // !_WIN32

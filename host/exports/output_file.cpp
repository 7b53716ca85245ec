#include "host/exports/output_file.h"

#include <new>
#include <stdexcept>

#include "host/host_error.h"

namespace zevkalon {

void checkReplaceable(const std::string& path, const std::string& what) {
    const std::string reason = tessarin::whyNotReplaceable(path);
    if (!reason.empty()) throw HostError(kExitExportFailed, what + " " + path + ": cannot replace it: " + reason);
}

void writeOutputFile(const std::string& path, const std::string& what,
                     const std::function<void(std::ostream&)>& write, tessarin::FileMode mode) {
    checkReplaceable(path, what);
    try {
        tessarin::replaceFileWith(path, write, mode);
    } catch (const HostError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw HostError(kExitExportFailed, what + " " + path + ": out of memory while writing it");
    } catch (const std::exception& error) {
        // The save's texts ("Cannot Write file: PATH") name the path already.
        throw HostError(kExitExportFailed, what + ": " + error.what());
    }
}

}  // namespace zevkalon

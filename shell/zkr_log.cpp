// The log stream and its buffer.
#include "shell/zkr_log.h"

#include <string>

#include "shell/host_functions.h"

namespace {

// Log text has nowhere to go before a successful binding, or when the host
// lacks zkLogText; dropping it beats calling through a null entry or letting
// an exception out of a destructor or a flush (the stream would turn bad).
void deliverToHost(const char* text) noexcept {
    if (!hostFunctionsBound()) return;
    try {
        zkLogText(text);
    } catch (...) {
    }
}

}  // namespace

ZKRLog::ZKRBuf::~ZKRBuf() { sync(); }

int ZKRLog::ZKRBuf::sync() {
    // The copy keeps the text alive for the call even if the host logs back
    // into this stream.
    const std::string collected = str();
    deliverToHost(collected.c_str());
    str(std::string());
    return 0;
}

ZKRLog::ZKRLog() : std::ostream(new ZKRBuf()) {}

ZKRLog::~ZKRLog() {
    delete rdbuf();
    rdbuf(nullptr);
    deliverToHost("Destructor of ZKRLog never called");
}

ZKRLog pluginLog;

#include "convert/log_line.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "shell/host_functions.h"
#include "shell/zkr_log.h"

namespace tessarin {
namespace {

// The size of the host's traditional log line buffer. A longer text (a VOI
// name or path at the full width of its host field plus the line's words
// can come close) gets a buffer of its own size instead of being cut.
constexpr std::size_t kLineBufferSize = 512;

std::string formatLogLineV(const char* format, std::va_list arguments) {
    char buffer[kLineBufferSize];
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    if (length < 0) {
        va_end(again);
        throw std::runtime_error(std::string("Cannot format log line: ") + format);
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        va_end(again);
        return std::string(buffer, static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

std::string formatLogLine(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    try {
        std::string text = formatLogLineV(format, arguments);
        va_end(arguments);
        return text;
    } catch (...) {
        va_end(arguments);
        throw;
    }
}

void logFormatted(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::string text;
    try {
        text = formatLogLineV(format, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);
    zkLogText(text.c_str());
}

void deliverStreamedLine() {
    // A standard stream swallows errors of its buffer (an allocation failure
    // while inserting, a host call failing inside the flush) into its state
    // flags, so the state is the only place where they show.
    if (!pluginLog) {
        discardStreamedText();
        throw std::runtime_error("Cannot compose log line");
    }
    // With badbit in the exception mask the stream rethrows what its buffer
    // threw during the flush (MissingHostFunction, std::bad_alloc) instead of
    // only recording it, so the run can report the real cause.
    const std::ios::iostate savedMask = pluginLog.exceptions();
    try {
        pluginLog.exceptions(std::ios::badbit);
        pluginLog.flush();
        pluginLog.exceptions(savedMask);
    } catch (...) {
        discardStreamedText();
        pluginLog.exceptions(savedMask);
        throw;
    }
}

void discardStreamedText() noexcept {
    pluginLog.clear();  // cannot throw: a good state never matches the exception mask
    if (auto* buffer = dynamic_cast<std::stringbuf*>(pluginLog.rdbuf())) {
        try {
            buffer->str(std::string());
        } catch (...) {
            // Emptying never allocates; nothing else to do if it did.
        }
    }
}

std::string hostFieldText(const char* field, std::size_t size) {
    const void* end = std::memchr(field, '\0', size);
    return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

}  // namespace tessarin

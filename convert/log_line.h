// Writing finished lines to the host's log pane.
#pragma once

#include <cstddef>
#include <string>

namespace tessarin {

#if defined(__GNUC__)
#define TESSARIN_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define TESSARIN_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// printf-style formatting into a 512-byte line buffer, or into a buffer
// sized to the text when the text is longer: nothing is cut and nothing is
// written past a buffer. Throws std::runtime_error for an invalid format.
std::string formatLogLine(const char* format, ...) TESSARIN_PRINTF_FORMAT(1, 2);

// Formats a line as formatLogLine does and passes it to zkLogText in one call.
void logFormatted(const char* format, ...) TESSARIN_PRINTF_FORMAT(1, 2);

// Delivers everything inserted into pluginLog since its last flush as one
// log entry (one zkLogText call). Throws std::runtime_error when the stream
// could not take or deliver the text, after discarding it, so that no
// half-built line is glued to the next entry.
void deliverStreamedLine();

// Drops text inserted into pluginLog but not yet delivered, and clears the
// stream's error state; used when a run ends early. Never throws.
void discardStreamedText() noexcept;

// The text held in a fixed-size host field: up to the first zero byte, or
// all size bytes when the host did not zero-terminate it.
std::string hostFieldText(const char* field, std::size_t size);

}  // namespace tessarin

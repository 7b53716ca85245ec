// The log stream that feeds the host's log pane: pluginLog.
//
// Insert pieces and numbers with the standard operators, then flush: each
// flush hands everything collected since the previous flush to zkLogText in
// one call (one entry in the log pane), exactly as collected, an empty text
// included. Nothing reaches the host before a flush: a line break does not
// deliver, and the buffer grows without limit. The stream keeps the standard
// default format (general notation, six significant digits).
//
// At library unload pluginLog is destroyed, which delivers the collected
// text (empty after a flushed run) and then "Destructor of ZKRLog never
// called". When the host function table is not bound (the host only read the
// descriptive texts, or the binding failed) both go nowhere and are skipped,
// as is any flush then; a flush always reports success.
//
// Single thread only: the host's calling thread.
#pragma once

#include <ostream>
#include <sstream>

class ZKRLog : public std::ostream {
public:
    // The stream's buffer: a string buffer whose sync delivers to the host.
    class ZKRBuf : public std::stringbuf {
    public:
        ZKRBuf() = default;
        // Delivers what is still collected (through sync), then goes.
        ~ZKRBuf() override;

    protected:
        // Passes a copy of the whole collected text to zkLogText in one call,
        // empties the buffer, and returns 0.
        int sync() override;
    };

    // Creates and binds its own buffer. Calls no host function.
    ZKRLog();
    // Deletes the buffer (delivering its text), then logs the closing line.
    ~ZKRLog() override;

    ZKRLog(const ZKRLog&) = delete;
    ZKRLog& operator=(const ZKRLog&) = delete;
};

// The library's one log stream.
extern ZKRLog pluginLog;

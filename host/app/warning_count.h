// Counting the warnings zevkalon gives, for --strict.
#pragma once

#include <cstddef>
#include <streambuf>

namespace zevkalon {

// Passes everything on to another stream buffer (unbuffered, so the order
// with the log stays) and counts the lines that are warnings, i.e. that
// begin with "zevkalon: warning: ".
class WarningCount : public std::streambuf {
public:
    explicit WarningCount(std::streambuf* target) : target_(target) {}
    std::size_t warnings() const { return warnings_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override { return target_->pubsync(); }

private:
    void see(char c);

    std::streambuf* target_;
    std::size_t warnings_ = 0;
    std::size_t matched_ = 0;  // characters of the warning prefix matched on this line so far
    bool lineStart_ = true;
};

}  // namespace zevkalon

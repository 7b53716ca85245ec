#include "host/readers/text_lines.h"

#include <cstring>
#include <istream>

namespace zevkalon {

namespace {

// Well below a megabyte, which the reading tests treat as a large request.
constexpr std::size_t kPiece = 1 << 18;

}  // namespace

TextLines::TextLines(std::istream& in) : in_(in), buffer_(kPiece) {}

bool TextLines::refill() {
    if (atEnd_) return false;
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    // A line longer than the buffer: twice the room.
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    in_.read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
    const std::size_t got = static_cast<std::size_t>(in_.gcount());
    end_ += got;
    // A failed read ends the text, as it ends std::getline.
    if (got == 0 || !in_) atEnd_ = true;
    return got > 0;
}

bool TextLines::next(std::string_view& line) {
    for (std::size_t searched = start_;;) {
        const void* feed = std::memchr(buffer_.data() + searched, '\n', end_ - searched);
        if (feed != nullptr) {
            const std::size_t stop = static_cast<std::size_t>(static_cast<const char*>(feed) - buffer_.data());
            line = std::string_view(buffer_.data() + start_, stop - start_);
            start_ = stop + 1;
            return true;
        }
        const std::size_t scanned = end_ - start_;
        if (!refill()) break;
        searched = start_ + scanned;
    }
    if (start_ == end_) return false;
    line = std::string_view(buffer_.data() + start_, end_ - start_);
    start_ = end_;
    return true;
}

}  // namespace zevkalon

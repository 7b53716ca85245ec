// The lines of a text stream, read in pieces of one buffer: an OBJ surface
// of tens of megabytes is never held whole.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string_view>
#include <vector>

namespace zevkalon {

// Lines as std::getline gives them: split at '\n' (which is dropped), the
// last line counted even without a line feed, none for an empty stream.
class TextLines {
public:
    explicit TextLines(std::istream& in);

    // The next line, valid until the next call; false after the last one
    // (a failed read counts as the end, as for std::getline).
    bool next(std::string_view& line);

private:
    // Moves the unread rest to the front and reads after it; false when
    // nothing more came.
    bool refill();

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t start_ = 0;  // the unread part is [start_, end_)
    std::size_t end_ = 0;
    bool atEnd_ = false;
};

}  // namespace zevkalon

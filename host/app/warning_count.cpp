#include "host/app/warning_count.h"

#include <cstring>

namespace zevkalon {

namespace {
constexpr char kPrefix[] = "zevkalon: warning: ";
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
}  // namespace

void WarningCount::see(char c) {
    if (lineStart_) {
        lineStart_ = false;
        matched_ = 0;
    }
    if (matched_ < kPrefixLength) {
        matched_ = kPrefix[matched_] == c ? matched_ + 1 : kPrefixLength + 1;
        if (matched_ == kPrefixLength) ++warnings_;
    }
    if (c == '\n') lineStart_ = true;
}

WarningCount::int_type WarningCount::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    see(traits_type::to_char_type(c));
    return target_->sputc(traits_type::to_char_type(c));
}

std::streamsize WarningCount::xsputn(const char* text, std::streamsize size) {
    for (std::streamsize i = 0; i < size; ++i) see(text[i]);
    return target_->sputn(text, size);
}

}  // namespace zevkalon

// Base64 text to bytes, piece by piece as a parser delivers the text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zevkalon {

// Decodes the standard alphabet (A-Z a-z 0-9 + /) with '=' padding at the
// very end only. Anything else (white space, another alphabet, text after
// the padding) stops it: the caller then leaves the text to a more lenient
// reader rather than guess what it means.
class Base64Decoder {
public:
    // Decodes text, handing the bytes to take(const unsigned char*, size_t)
    // in pieces. Returns false, and decodes nothing more, at the first
    // character it does not accept.
    template <typename Take>
    bool decode(const char* text, std::size_t length, Take take);

    // True when the text so far ended a group of four characters and broke
    // no rule.
    bool complete() const { return !failed_ && pending_ == 0; }

private:
    bool failed_ = false;
    bool padded_ = false;
    int pending_ = 0;          // characters of the current group of four
    int padding_ = 0;          // '=' seen in the current group
    std::uint32_t bits_ = 0;
};

// Each character's value, or kNotBase64, or kPadding for '='.
constexpr std::int8_t kNotBase64 = -1;
constexpr std::int8_t kPadding = -2;

struct Base64Values {
    std::int8_t of[256];
    constexpr Base64Values() : of() {
        for (int c = 0; c < 256; ++c) of[c] = kNotBase64;
        for (int c = 0; c < 26; ++c) {
            of['A' + c] = static_cast<std::int8_t>(c);
            of['a' + c] = static_cast<std::int8_t>(26 + c);
        }
        for (int c = 0; c < 10; ++c) of['0' + c] = static_cast<std::int8_t>(52 + c);
        of[static_cast<unsigned char>('+')] = 62;
        of[static_cast<unsigned char>('/')] = 63;
        of[static_cast<unsigned char>('=')] = kPadding;
    }
};
inline constexpr Base64Values kBase64Values{};

template <typename Take>
bool Base64Decoder::decode(const char* text, std::size_t length, Take take) {
    unsigned char bytes[3 * 4096];
    std::size_t filled = 0;
    const auto valueOf = [](char c) { return kBase64Values.of[static_cast<unsigned char>(c)]; };
    for (std::size_t i = 0; i < length && !failed_; ++i) {
        // Whole groups of four plain characters at once: the bulk of any text.
        while (pending_ == 0 && !padded_ && i + 4 <= length && filled + 3 <= sizeof bytes) {
            const int v0 = valueOf(text[i]), v1 = valueOf(text[i + 1]), v2 = valueOf(text[i + 2]), v3 = valueOf(text[i + 3]);
            if ((v0 | v1 | v2 | v3) < 0) break;
            const std::uint32_t bits = static_cast<std::uint32_t>(v0 << 18 | v1 << 12 | v2 << 6 | v3);
            bytes[filled] = static_cast<unsigned char>(bits >> 16);
            bytes[filled + 1] = static_cast<unsigned char>(bits >> 8);
            bytes[filled + 2] = static_cast<unsigned char>(bits);
            filled += 3;
            i += 4;
        }
        if (filled == sizeof bytes) {
            take(bytes, filled);
            filled = 0;
        }
        if (i >= length) break;
        // One character at a time: groups across pieces, padding, refusals.
        const std::int8_t value = valueOf(text[i]);
        if (value >= 0 && padding_ == 0 && !padded_) {
            bits_ = bits_ << 6 | static_cast<std::uint32_t>(value);
        } else if (value == kPadding && pending_ >= 2 && !padded_) {
            bits_ <<= 6;
            ++padding_;
        } else {
            failed_ = true;
            break;
        }
        if (++pending_ < 4) continue;
        const int count = 3 - padding_;
        for (int b = 0; b < count; ++b) bytes[filled++] = static_cast<unsigned char>(bits_ >> (16 - 8 * b));
        padded_ = padding_ > 0;
        pending_ = padding_ = 0;
        bits_ = 0;
        if (filled == sizeof bytes) {
            take(bytes, filled);
            filled = 0;
        }
    }
    if (filled > 0) take(bytes, filled);
    return !failed_;
}

}  // namespace zevkalon

#include "host/exports/base64.h"

#include <stdexcept>

namespace zevkalon {

std::string base64Encode(const std::uint8_t* data, std::size_t size) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t group = (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) | data[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) text += kDigits[(group >> shift) & 63];
    }
    if (i < size) {
        const bool two = i + 1 < size;
        const std::uint32_t group = (std::uint32_t{data[i]} << 16) | (two ? std::uint32_t{data[i + 1]} << 8 : 0);
        text += kDigits[(group >> 18) & 63];
        text += kDigits[(group >> 12) & 63];
        text += two ? kDigits[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

std::string base64Decode(const std::string& text) {
    const auto digit = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::size_t end = text.size();
    while (end > 0 && text.size() - end < 2 && text[end - 1] == '=') --end;
    if (end % 4 == 1 || (end < text.size() && text.size() % 4 != 0)) {
        throw std::invalid_argument("base64 text of a length that no bytes give");
    }
    std::string bytes;
    bytes.reserve(end / 4 * 3 + 2);
    std::uint32_t group = 0;
    int bits = 0;
    for (std::size_t i = 0; i < end; ++i) {
        const int value = digit(text[i]);
        if (value < 0) throw std::invalid_argument("not a base64 character at offset " + std::to_string(i));
        group = (group << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xFFu);
        }
    }
    return bytes;
}

}  // namespace zevkalon

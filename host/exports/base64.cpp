#include "host/exports/base64.h"

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

}  // namespace zevkalon

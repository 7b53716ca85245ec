// Base64 (RFC 4648, with padding, no line breaks), as GIFTI and data: URLs use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zevkalon {

// The base64 text of size bytes at data.
std::string base64Encode(const std::uint8_t* data, std::size_t size);
inline std::string base64Encode(const std::string& bytes) {
    return base64Encode(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The bytes of base64 text (padding optional, no other characters, not even
// line breaks). Throws std::invalid_argument for anything else.
std::string base64Decode(const std::string& text);

}  // namespace zevkalon

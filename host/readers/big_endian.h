// Numbers stored most significant byte first, as FreeSurfer's files hold them.
#pragma once

#include <cstdint>
#include <cstring>

namespace zevkalon {

inline std::uint32_t bigEndianU32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

inline std::int32_t bigEndianI32(const unsigned char* bytes) {
    return static_cast<std::int32_t>(bigEndianU32(bytes));
}

inline std::int16_t bigEndianI16(const unsigned char* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]));
}

inline float bigEndianF32(const unsigned char* bytes) {
    const std::uint32_t word = bigEndianU32(bytes);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

}  // namespace zevkalon

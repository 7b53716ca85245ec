#include "convert/voi_colour.h"

namespace tessarin {

RGB decodeVOIColour(std::int32_t packed) {
    // Kept in float on purpose: every packed colour (below 2^24) is exact in
    // float, and the result must match the host's single-precision decoding
    // also for values outside that range.
    float v = static_cast<float>(packed);
    RGB rgb;
    rgb.red = static_cast<std::int32_t>(v / 65536.0f);
    v = v - static_cast<float>(rgb.red) * 65536.0f;
    rgb.green = static_cast<std::int32_t>(v / 256.0f);
    v = v - static_cast<float>(rgb.green) * 256.0f;
    rgb.blue = static_cast<std::int32_t>(v);
    return rgb;
}

}  // namespace tessarin

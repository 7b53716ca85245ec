// Decoding the host's packed VOI colour.
#pragma once

#include <cstdint>

namespace tessarin {

struct RGB {
    std::int32_t red = 0, green = 0, blue = 0;
};

// Splits red * 65536 + green * 256 + blue into its three components, in
// single precision as the host's own tools do: exact for 0 .. 16777215.
RGB decodeVOIColour(std::int32_t packed);

}  // namespace tessarin

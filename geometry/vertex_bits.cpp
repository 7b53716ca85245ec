#include "geometry/vertex_bits.h"

#include <algorithm>

namespace tessarin {

void VertexBits::reset(std::int32_t nrOfVertices) {
    for (std::size_t w : touched_) words_[w] = 0;
    touched_.clear();
    const std::size_t words = (static_cast<std::size_t>(std::max(nrOfVertices, 0)) + 63) / 64;
    // Grow only: a larger array serves a smaller mesh just as well.
    if (words_.size() < words) words_.resize(words, 0);
}

}  // namespace tessarin

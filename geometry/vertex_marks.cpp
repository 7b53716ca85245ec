#include "geometry/vertex_marks.h"

#include <algorithm>
#include <limits>

namespace tessarin {

void VertexMarks::reset(std::int32_t nrOfVertices) {
    const std::size_t size = static_cast<std::size_t>(std::max(nrOfVertices, 0));
    // Grow only: a larger array serves a smaller mesh just as well, and new
    // slots carry stamp 0, which never matches a live generation.
    if (slots_.size() < size) slots_.resize(size);
    if (generation_ == std::numeric_limits<std::uint32_t>::max()) {
        // The counter would wrap onto stamps still in the array.
        std::fill(slots_.begin(), slots_.end(), Slot{});
        generation_ = 0;
    }
    ++generation_;
}

}  // namespace tessarin

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

namespace {

// Bits not lent out at the moment; a plain static for the same reason as
// the marks' pool (a thread_local would pin the module in memory).
std::vector<std::unique_ptr<VertexBits>>& freeBits() {
    static std::vector<std::unique_ptr<VertexBits>> pool;
    return pool;
}

}  // namespace

ScratchBits::ScratchBits(std::int32_t nrOfVertices) {
    auto& pool = freeBits();
    if (pool.empty()) {
        bits_ = std::make_unique<VertexBits>();
    } else {
        bits_ = std::move(pool.back());
        pool.pop_back();
    }
    bits_->reset(nrOfVertices);
}

ScratchBits::~ScratchBits() {
    try {
        freeBits().push_back(std::move(bits_));
    } catch (...) {
    }
}

void releaseScratchBits() noexcept { std::vector<std::unique_ptr<VertexBits>>().swap(freeBits()); }

}  // namespace tessarin

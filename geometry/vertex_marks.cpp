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

namespace {

// Marks not lent out at the moment. The library runs on its host's one
// thread and takes no locks, so one pool serves every call. It is a plain
// static, not thread_local: a thread_local with a destructor would pin the
// plug-in module in memory (the loader refuses to unload it), so its log
// stream would outlive the host it writes to.
std::vector<std::unique_ptr<VertexMarks>>& freeMarks() {
    static std::vector<std::unique_ptr<VertexMarks>> pool;
    return pool;
}

}  // namespace

ScratchMarks::ScratchMarks(std::int32_t nrOfVertices) {
    auto& pool = freeMarks();
    if (pool.empty()) {
        marks_ = std::make_unique<VertexMarks>();
    } else {
        marks_ = std::move(pool.back());
        pool.pop_back();
    }
    marks_->reset(nrOfVertices);
}

ScratchMarks::~ScratchMarks() {
    // Returning the marks must not throw from a destructor; if the pool
    // cannot grow, the marks are simply freed.
    try {
        freeMarks().push_back(std::move(marks_));
    } catch (...) {
    }
}

void releaseScratchMarks() noexcept { std::vector<std::unique_ptr<VertexMarks>>().swap(freeMarks()); }

}  // namespace tessarin

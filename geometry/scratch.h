// A pool of per-vertex scratch sets (VertexMarks, VertexBits) that the
// vertex-set operations borrow, so that repeated calls on one large mesh
// neither allocate nor clear O(mesh) memory each time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tessarin {

// A Set borrowed from the pool for the lifetime of this object, already
// reset for nrOfVertices vertices. Leases nest (an operation may call
// another that borrows its own); each live lease has its own Set.
// Set needs a default constructor and reset(std::int32_t nrOfVertices).
template <typename Set>
class Scratch {
public:
    explicit Scratch(std::int32_t nrOfVertices) {
        auto& pool = freeSets();
        if (pool.empty()) {
            set_ = std::make_unique<Set>();
        } else {
            set_ = std::move(pool.back());
            pool.pop_back();
        }
        set_->reset(nrOfVertices);
    }
    ~Scratch() {
        // Returning the set must not throw from a destructor; if the pool
        // cannot grow, the set is simply freed.
        try {
            freeSets().push_back(std::move(set_));
        } catch (...) {
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    Set& operator*() { return *set_; }
    Set* operator->() { return set_.get(); }
    const Set& operator*() const { return *set_; }
    const Set* operator->() const { return set_.get(); }

    // Frees the sets kept in the pool. Preconditions: no lease alive.
    static void releasePool() noexcept { std::vector<std::unique_ptr<Set>>().swap(freeSets()); }

private:
    // Sets not lent out at the moment. The library runs on its host's one
    // thread and takes no locks, so one pool serves every call. It is a
    // plain static, not thread_local: a thread_local with a destructor
    // would pin the plug-in module in memory (the loader refuses to unload
    // it), so its log stream would outlive the host it writes to.
    static std::vector<std::unique_ptr<Set>>& freeSets() {
        static std::vector<std::unique_ptr<Set>> pool;
        return pool;
    }

    std::unique_ptr<Set> set_;
};

}  // namespace tessarin

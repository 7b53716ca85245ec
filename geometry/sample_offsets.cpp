#include "geometry/sample_offsets.h"

#include <algorithm>

namespace tessarin {

OffsetSequence::OffsetSequence(float step) : step_(step > 0.0f ? step : 0.0f) {
    if (hasDistances()) checkpoints_.push_back(step_);
}

void OffsetSequence::extendTo(double value) {
    // Only every kStride-th distance is kept: a look-up replays fewer than
    // kStride additions from a checkpoint, which reproduces the exact
    // rounding of the running sum without storing millions of floats for a
    // range that reaches the end of the sequence. The table grows on demand
    // so that ordinary small ranges never pay for distances they cannot use.
    while (!complete_ && static_cast<double>(checkpoints_.back()) <= value) {
        float c = checkpoints_.back();
        for (std::size_t i = 0; i < kStride; ++i) {
            if (!next(c)) {
                complete_ = true;
                break;
            }
        }
        if (!complete_) checkpoints_.push_back(c);
    }
}

bool OffsetSequence::firstAtLeast(double atLeast, float& d) {
    extendTo(atLeast);
    const auto above = std::lower_bound(checkpoints_.begin(), checkpoints_.end(), atLeast,
                                        [](float c, double v) { return static_cast<double>(c) < v; });
    if (above == checkpoints_.begin()) {
        d = step_;
        return true;
    }
    // The sequence is memoryless, so replaying from the largest checkpoint
    // below atLeast yields exactly the distances that follow it.
    float candidate = *(above - 1);
    while (static_cast<double>(candidate) < atLeast) {
        if (!next(candidate)) return false;
    }
    d = candidate;
    return true;
}

bool OffsetSequence::lastAtMost(double atMost, float& d) {
    extendTo(atMost);
    const auto above = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), atMost,
                                        [](double v, float c) { return v < static_cast<double>(c); });
    if (above == checkpoints_.begin()) return false;
    float candidate = *(above - 1);
    float following = candidate;
    while (next(following) && static_cast<double>(following) <= atMost) candidate = following;
    d = candidate;
    return true;
}

std::vector<float> OffsetSequence::distancesUpTo(double limit, std::size_t maxCount) const {
    std::vector<float> distances;
    if (!hasDistances()) return distances;
    float d = step_;
    while (static_cast<double>(d) <= limit && distances.size() < maxCount) {
        distances.push_back(d);
        if (!next(d)) break;
    }
    return distances;
}

}  // namespace tessarin

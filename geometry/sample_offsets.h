// The sample offsets along a vertex normal: running sums of a step in single precision.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin {

// The distances d1 = step, d2 = d1 + step, d3 = d2 + step, ... , each sum
// rounded to single precision. The mapping samples +d for every d <= to and
// -d for every d <= -from, plus offset 0; a running sum (not step * i) is
// what fixes which distances exist, so 0.1 summed thirty times is 2.9999993.
//
// The sequence only ever grows or stays put, and the next distance depends
// on the current one alone. Once d + step == d (for step 0.1 that happens at
// 2^21 = 2097152) every later distance repeats d, so the sequence ends there:
// a range reaching past that point has no further distances to offer, which
// is what keeps huge or infinite ranges finite. At most about 2^25 distinct
// distances exist for any step.
//
// A step that is not above 0 (or is NaN) gives no distances.
class OffsetSequence {
public:
    explicit OffsetSequence(float step);

    // False when the step allows no distances at all.
    bool hasDistances() const { return step_ > 0.0f; }
    // The first distance, step itself. Precondition: hasDistances().
    float first() const { return step_; }

    // Moves d to the following distance; returns false (leaving d alone)
    // when d is the last one, that is d + step == d.
    bool next(float& d) const {
        const float following = d + step_;
        if (following == d) return false;
        d = following;
        return true;
    }

    // Sets d to the smallest distance that is >= atLeast and returns true,
    // or returns false when every distance is smaller. Costs a binary search
    // plus fewer than 64 additions, after the first request that reaches a
    // new largest atLeast has extended the look-up table to it (one addition
    // per distance passed, memory for one in 64). Preconditions:
    // hasDistances(); atLeast is not NaN.
    bool firstAtLeast(double atLeast, float& d);
    // Sets d to the largest distance that is <= atMost and returns true, or
    // returns false when every distance is larger. Same cost and
    // preconditions as firstAtLeast.
    bool lastAtMost(double atMost, float& d);

    // Every distance up to and including limit, in order, but no more than
    // maxCount of them. Stops at the last distance, so it ends for any limit.
    std::vector<float> distancesUpTo(double limit, std::size_t maxCount = SIZE_MAX) const;

private:
    // Grows the look-up table until it reaches value or the last distance.
    void extendTo(double value);

    static constexpr std::size_t kStride = 64;
    float step_ = 0.0f;
    // Every kStride-th distance (d1, d65, d129, ...), ascending, as far as
    // requests have needed them; complete_ once the last distance is passed.
    std::vector<float> checkpoints_;
    bool complete_ = false;
};

}  // namespace tessarin

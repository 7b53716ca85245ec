// Sorting vertex (or triangle) numbers ascending without repeats.
#pragma once

#include <cstdint>
#include <vector>

namespace tessarin {

// Puts values (non-negative, repeats allowed) into ascending order without
// repeats. When they are dense in their range a bit per value of the range
// does it in linear time, which a comparison sort cannot: the rings and
// triangle sets of large patches are exactly that dense.
void sortDistinctAscending(std::vector<std::int32_t>& values);

}  // namespace tessarin

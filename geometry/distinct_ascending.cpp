#include "geometry/distinct_ascending.h"

#include <algorithm>

namespace tessarin {

void sortDistinctAscending(std::vector<std::int32_t>& values) {
    if (values.size() < 2) return;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const std::int32_t first = *lo;
    const auto words = (static_cast<std::size_t>(*hi - first) >> 6) + 1;
    // A comparison sort costs about log2(n) steps a value; the bits cost one
    // step a value and one a word of the range.
    if (values.size() * 8 < words || values.size() < 64) {
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
        return;
    }
    std::vector<std::uint64_t> bits(words, 0);
    for (std::int32_t value : values) {
        const auto offset = static_cast<std::size_t>(value - first);
        bits[offset >> 6] |= std::uint64_t{1} << (offset & 63);
    }
    values.clear();
    for (std::size_t w = 0; w < words; ++w) {
        for (std::uint64_t word = bits[w]; word != 0; word &= word - 1) {
            values.push_back(first + static_cast<std::int32_t>((w << 6) + static_cast<std::size_t>(__builtin_ctzll(word))));
        }
    }
}

}  // namespace tessarin

#include "host/readers/text_words.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zevkalon {
namespace {

// Words read in place must mean what the same words meant as strings,
// whichever path they take: the fast one for plain numbers, strtod and
// strtoll for the rest (signs, hexadecimal, range errors, a NUL inside).
TEST(TextWords, WordsInPlaceMeanWhatTheirStringsMean) {
    const std::string words[] = {"0", "-12", "007", "+5", "1.5", "-.5", "5.", "1e-3", "2E+8", "0x1p3", "1e400",
                                 "1e-400", "nan", "-inf", "Infinity", "1e", "", "-", "x1", "1x", "9223372036854775807",
                                 "9223372036854775808", "-9223372036854775808", "123456789012345678",
                                 std::string("12\0x", 4), "1 2"};
    for (const std::string& word : words) {
        long long whole = 0, wholeAgain = 0;
        EXPECT_EQ(parseWholeWord(word, whole), parseWholeNumber(word, wholeAgain)) << word;
        EXPECT_EQ(whole, wholeAgain) << word;
        double real = 0.0, realAgain = 0.0;
        EXPECT_EQ(parseRealWord(word, real), parseRealNumber(word, realAgain)) << word;
        EXPECT_EQ(std::isnan(real), std::isnan(realAgain)) << word;
        if (!std::isnan(real)) {
            EXPECT_EQ(real, realAgain) << word;
        }
    }
}

}  // namespace
}  // namespace zevkalon

#include "host/readers/text_words.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <sstream>

namespace zevkalon {

std::vector<std::string> contentWords(std::string line) {
    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream fields(line);
    std::vector<std::string> words;
    for (std::string word; fields >> word;) words.push_back(word);
    return words;
}

void dropByteOrderMark(std::string& firstLine) {
    if (firstLine.compare(0, 3, "\xEF\xBB\xBF") == 0) firstLine.erase(0, 3);
}

std::string lineProblem(const std::string& sourceName, int lineNumber, const std::string& problem) {
    return sourceName + ":" + std::to_string(lineNumber) + ": " + problem;
}

bool parseWholeNumber(const std::string& text, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return end != text.c_str() && *end == '\0' && errno != ERANGE;
}

bool parseRealNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0';
}

bool parseWholeWord(std::string_view word, long long& value) {
    const bool negative = !word.empty() && word[0] == '-';
    const std::size_t digits = word.size() - (negative ? 1 : 0);
    // Up to 18 digits cannot overflow.
    if (digits == 0 || digits > 18) return parseWholeNumber(std::string(word), value);
    long long parsed = 0;
    for (std::size_t i = negative ? 1 : 0; i < word.size(); ++i) {
        const char c = word[i];
        if (c < '0' || c > '9') return parseWholeNumber(std::string(word), value);
        parsed = parsed * 10 + (c - '0');
    }
    value = negative ? -parsed : parsed;
    return true;
}

bool parseRealWord(std::string_view word, double& value) {
    // from_chars reads decimal numbers exactly as strtod does (correctly
    // rounded, "nan" and "inf" too) but not hexadecimal ones, a leading '+'
    // or a range error: those take the strtod path.
    const char* end = word.data() + word.size();
    const std::from_chars_result result = std::from_chars(word.data(), end, value, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr == end && !word.empty()) return true;
    return parseRealNumber(std::string(word), value);
}

}  // namespace zevkalon

#include "host/readers/text_words.h"

#include <cerrno>
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

}  // namespace zevkalon

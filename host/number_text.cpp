#include "host/number_text.h"

#include <cerrno>
#include <cstdlib>

namespace zevkalon {

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

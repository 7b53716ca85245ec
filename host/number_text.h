// Reading numbers from words of the text files the host accepts.
#pragma once

#include <string>

namespace zevkalon {

// True when the whole of text is one decimal integer that fits a long long;
// value holds it then.
bool parseWholeNumber(const std::string& text, long long& value);

// True when the whole of text is one number in any form strtod accepts
// (including "nan" and "inf": callers that refuse those check the value).
bool parseRealNumber(const std::string& text, double& value);

}  // namespace zevkalon

// Words and numbers from the lines of the text files the host accepts
// (OBJ surfaces, label tables).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zevkalon {

// The words of line, split at white space, after dropping a '#' comment.
std::vector<std::string> contentWords(std::string line);

// Removes a UTF-8 byte-order mark from the start of a file's first line:
// editors on Windows write one, and it would glue itself to the first word.
void dropByteOrderMark(std::string& firstLine);

// "source:line: problem", the form of every error about one line of a file.
std::string lineProblem(const std::string& sourceName, int lineNumber, const std::string& problem);

// True when the whole of text is one decimal integer that fits a long long;
// value holds it then.
bool parseWholeNumber(const std::string& text, long long& value);

// True when the whole of text is one number in any form strtod accepts
// (including "nan" and "inf": callers that refuse those check the value).
bool parseRealNumber(const std::string& text, double& value);

// The same two for a word still in its line: the forms that files hold in
// bulk ("-12", "0.5", "1e-3") are read in place, any other goes through the
// functions above, so every word means what it meant there.
bool parseWholeWord(std::string_view word, long long& value);
bool parseRealWord(std::string_view word, double& value);

}  // namespace zevkalon

// Text from the user's files made safe for XML (and HTML) documents.
#pragma once

#include <string>

namespace zevkalon {

// The text as well-formed, UTF-8 XML character data, usable in elements and
// in quoted attribute values alike:
//  - & < > " ' become entity references;
//  - valid UTF-8 passes unchanged;
//  - any other byte is taken as Latin-1 (what old colour tables hold) and
//    written as the UTF-8 of that character;
//  - characters that XML 1.0 forbids even as references (control characters
//    other than tab, line feed and carriage return; U+FFFE, U+FFFF; UTF-8
//    encoded surrogates) become U+FFFD, the replacement character.
std::string xmlText(const std::string& text);

}  // namespace zevkalon

// A structural check of a GIFTI file before the GIFTI library reads it.
#pragma once

#include <string>

namespace zevkalon {

// Throws HostError (kExitBadInput) naming the file and line when the XML is
// malformed, an element stands where GIFTI does not allow it (the library
// crashes on some of these, e.g. a Data element outside a DataArray), an
// element is unknown to GIFTI, a DataArray has more than one Data element, or
// an ASCII-encoded array holds another number of values than its dimensions
// declare (the library would fill the missing ones with zeros).
void checkGiftiStructure(const std::string& path);

}  // namespace zevkalon

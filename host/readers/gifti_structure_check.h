// A structural check of a GIFTI file before the GIFTI library reads it.
#pragma once

#include <string>

namespace zevkalon {

// What the reading of an accepted file must take into account.
struct GiftiStructure {
    // Some array's data lie in an external file named relative to the
    // GIFTI file's folder (the library would look in the working folder).
    bool relativeExternalFiles = false;
};

// Sees the elements and the text of the structure check's pass, each after
// the check has accepted it, so that a file can be checked and read in one
// pass. Nothing more is delivered once the check has found a problem.
class GiftiPassListener {
public:
    virtual ~GiftiPassListener() = default;
    virtual void elementStarted(const char* name, const char** attributes) = 0;
    virtual void elementEnded(const char* name) = 0;
    virtual void text(const char* text, int length) = 0;
};

// Throws HostError (kExitBadInput) naming the file and line when the XML is
// malformed, an element stands where GIFTI does not allow it (the library
// crashes on some of these, e.g. a Data element outside a DataArray), an
// element is unknown to GIFTI, a DataArray has more than one Data element,
// or an array's data cannot be what its dimensions declare: an ASCII array
// with another number of values, base64 data cut short or of another length
// (for compressed data: more than the compressed bytes can hold), an
// external data file (beside the GIFTI file unless its name is absolute)
// that is missing or too short. The library would fill what is missing with
// zeros, and allocate what is declared before finding out. listener, when
// given, follows the pass.
GiftiStructure checkGiftiStructure(const std::string& path, GiftiPassListener* listener = nullptr);

}  // namespace zevkalon

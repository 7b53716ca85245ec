// Reading the common GIFTI surface in the structure check's own pass.
#pragma once

#include <memory>
#include <string>

#include "host/readers/gifti_structure_check.h"
#include "host/readers/surface_file.h"

namespace zevkalon {

// Decodes, while the structure check reads the file, the GIFTI surfaces
// that nibabel, Connectome Workbench and FreeSurfer write: POINTSET (float)
// and TRIANGLE (32-bit integer) arrays, row-major, base64 or zlib-compressed
// base64 data in either byte order, with metadata, coordinate systems and an
// empty label table. Such a file needs no second reading by the GIFTI
// library, which would also hold each array twice. Anything else, and any
// data that the library might decode differently or report, leaves the file
// undecided: it is then read by the library as before, so what is accepted,
// refused and said about a file stays as it was.
class GiftiDirectReader : public GiftiPassListener {
public:
    GiftiDirectReader();
    ~GiftiDirectReader() override;
    GiftiDirectReader(const GiftiDirectReader&) = delete;
    GiftiDirectReader& operator=(const GiftiDirectReader&) = delete;

    void elementStarted(const char* name, const char** attributes) override;
    void elementEnded(const char* name) override;
    void text(const char* text, int length) override;

    // After the pass: true when every array was decoded, the file holds a
    // POINTSET and a TRIANGLE array, and nothing left it undecided.
    bool decoded() const;

    // The first POINTSET and TRIANGLE arrays, converted as the library's
    // arrays are, with the space and structure that their metadata give
    // (applyGiftiMetadata, which may throw). Precondition: decoded(); the
    // arrays are handed over, so call it once.
    SurfaceFile takeSurface(const std::string& path);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zevkalon

#include "host/exports/gifti_label_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "host/host_error.h"

#if defined(TESSARIN_HAVE_GIFTI)
extern "C" {  // the library header has no C++ guard of its own
#include <gifti_io.h>
}
#endif

namespace zevkalon {

std::vector<std::int32_t> vertexLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices) {
    std::vector<std::int32_t> labels(static_cast<std::size_t>(std::max(nrOfVertices, 0)), 0);
    for (std::size_t p = 0; p < pois.POIs.size(); ++p) {
        for (std::int32_t vertex : pois.POIs[p].Vertices) {
            if (vertex < 0 || vertex >= nrOfVertices) continue;
            std::int32_t& label = labels[static_cast<std::size_t>(vertex)];
            if (label == 0) label = static_cast<std::int32_t>(p + 1);
        }
    }
    return labels;
}

#if defined(TESSARIN_HAVE_GIFTI)

namespace {

struct GiftiDeleter {
    void operator()(gifti_image* image) const { gifti_free_image(image); }
};

// The library frees the table with free(), so it is built with malloc.
void fillLabelTable(giiLabelTable& table, const tessarin::POIFile& pois) {
    const int length = static_cast<int>(pois.POIs.size()) + 1;
    table.length = length;
    table.key = static_cast<int*>(std::calloc(static_cast<std::size_t>(length), sizeof(int)));
    table.label = static_cast<char**>(std::calloc(static_cast<std::size_t>(length), sizeof(char*)));
    table.rgba = static_cast<float*>(std::calloc(static_cast<std::size_t>(length) * 4, sizeof(float)));
    if (table.key == nullptr || table.label == nullptr || table.rgba == nullptr) throw std::bad_alloc();
    table.key[0] = 0;
    table.label[0] = gifti_strdup("???");
    std::map<std::string, int> uses;
    for (int k = 1; k < length; ++k) {
        const tessarin::POIRecord& record = pois.POIs[static_cast<std::size_t>(k - 1)];
        std::string name = record.NameOfPOI;
        const int use = ++uses[name];
        if (use > 1) name += " #" + std::to_string(use);
        table.key[k] = k;
        table.label[k] = gifti_strdup(name.c_str());
        for (int c = 0; c < 3; ++c) table.rgba[4 * k + c] = static_cast<float>(record.ColorOfPOI[c]) / 255.0f;
        table.rgba[4 * k + 3] = 1.0f;
    }
}

}  // namespace

void writeGiftiLabels(const tessarin::POIFile& pois, std::int32_t nrOfVertices, const std::string& path) {
    gifti_set_verb(0);
    const int dims[1] = {nrOfVertices};
    std::unique_ptr<gifti_image, GiftiDeleter> image(
        gifti_create_image(1, NIFTI_INTENT_LABEL, NIFTI_TYPE_INT32, 1, dims, 1));
    if (!image) throw HostError(kExitExportFailed, path + ": cannot build the GIFTI label image");
    giiDataArray& array = *image->darray[0];
    array.encoding = GIFTI_ENCODING_B64GZ;
    gifti_add_to_meta(&array.meta, "Name", "POIs", 1);
    const std::vector<std::int32_t> labels = vertexLabels(pois, nrOfVertices);
    std::memcpy(array.data, labels.data(), labels.size() * sizeof(std::int32_t));
    fillLabelTable(image->labeltable, pois);
    if (gifti_write_image(image.get(), path.c_str(), 1) != 0) {
        std::remove(path.c_str());
        throw HostError(kExitExportFailed, path + ": cannot write the GIFTI label file");
    }
}

#else

void writeGiftiLabels(const tessarin::POIFile&, std::int32_t, const std::string& path) {
    throw HostError(kExitExportFailed, path + ": this build of zevkalon writes no GIFTI files (built without the GIFTI library)");
}

#endif

}  // namespace zevkalon

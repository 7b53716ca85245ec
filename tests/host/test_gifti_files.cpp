#include <cstring>
#include <stdexcept>

extern "C" {
#include <gifti_io.h>
}

#include "tests/host/test_files.h"

namespace zevkalon::testing {

namespace {

// Copies a row-major N x 3 array into the array's data in its index order.
template <typename T>
void fillArray(giiDataArray& array, const std::vector<T>& rowMajor, bool columnMajor) {
    const std::size_t rows = rowMajor.size() / 3;
    T* data = static_cast<T*>(array.data);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < 3; ++c) {
            data[columnMajor ? c * rows + r : r * 3 + c] = rowMajor[r * 3 + c];
        }
    }
    array.ind_ord = columnMajor ? GIFTI_IND_ORD_COL_MAJOR : GIFTI_IND_ORD_ROW_MAJOR;
}

}  // namespace

void writeGiftiSurface(const std::vector<float>& positions, const std::vector<std::int32_t>& triangles,
                       const std::string& path, bool columnMajor) {
    gifti_image* image = gifti_create_image(0, 0, 0, 0, nullptr, 0);
    gifti_add_empty_darray(image, 2);
    struct Content {
        int intent, datatype, rows;
    } specs[2] = {{NIFTI_INTENT_POINTSET, NIFTI_TYPE_FLOAT32, static_cast<int>(positions.size() / 3)},
                  {NIFTI_INTENT_TRIANGLE, NIFTI_TYPE_INT32, static_cast<int>(triangles.size() / 3)}};
    for (int a = 0; a < 2; ++a) {
        giiDataArray& array = *image->darray[a];
        array.intent = specs[a].intent;
        array.datatype = specs[a].datatype;
        array.num_dim = 2;
        array.dims[0] = specs[a].rows;
        array.dims[1] = 3;
        array.encoding = GIFTI_ENCODING_B64BIN;
        array.endian = gifti_get_this_endian();
    }
    gifti_update_nbyper(image);
    for (int a = 0; a < 2; ++a) image->darray[a]->nvals = gifti_darray_nvals(image->darray[a]);
    gifti_alloc_DA_data(image, nullptr, 2);
    fillArray(*image->darray[0], positions, columnMajor);
    fillArray(*image->darray[1], triangles, columnMajor);
    const int result = gifti_write_image(image, path.c_str(), 1);
    gifti_free_image(image);
    if (result != 0) throw std::runtime_error("cannot write " + path);
}

GiftiLabels readGiftiLabels(const std::string& path) {
    gifti_image* image = gifti_read_image(path.c_str(), 1);
    if (image == nullptr) throw std::runtime_error("cannot read " + path);
    GiftiLabels labels;
    giiDataArray* array = gifti_find_DA(image, NIFTI_INTENT_LABEL, 0);
    if (array != nullptr && array->datatype == NIFTI_TYPE_INT32) {
        const std::int32_t* data = static_cast<const std::int32_t*>(array->data);
        labels.keys.assign(data, data + array->nvals);
    }
    const giiLabelTable& table = image->labeltable;
    for (int k = 0; k < table.length; ++k) {
        labels.tableKeys.push_back(table.key[k]);
        labels.tableNames.push_back(table.label[k] ? table.label[k] : "");
        if (table.rgba) {
            labels.tableColours.push_back({table.rgba[4 * k], table.rgba[4 * k + 1], table.rgba[4 * k + 2],
                                           table.rgba[4 * k + 3]});
        }
    }
    gifti_free_image(image);
    return labels;
}

}  // namespace zevkalon::testing

// In a file of its own: the NIfTI-2 library's types clash with the NIfTI-1
// header that the GIFTI library includes.
#include <nifti2_io.h>

#include <cstring>
#include <stdexcept>

#include "tests/host/test_files.h"

namespace zevkalon::testing {

void writeNifti(const NiftiContent& content, const std::string& path) {
    const int64_t dims[8] = {content.extraDims > 1 ? 4 : 3, content.dims[0], content.dims[1], content.dims[2], content.extraDims,
                             1, 1, 1};
    nifti_image* image = nifti_make_new_nim(dims, content.datatype, 1);
    if (image == nullptr) throw std::runtime_error("cannot make a NIfTI image");
    const std::size_t count = static_cast<std::size_t>(image->nvox);
    for (std::size_t index = 0; index < count; ++index) {
        const double value = index < content.labels.size() ? content.labels[index] : 0.0;
        unsigned char* at = static_cast<unsigned char*>(image->data) + index * static_cast<std::size_t>(image->nbyper);
        switch (content.datatype) {
            case DT_UINT8: { const uint8_t v = static_cast<uint8_t>(value); std::memcpy(at, &v, 1); break; }
            case DT_INT16: { const int16_t v = static_cast<int16_t>(value); std::memcpy(at, &v, 2); break; }
            case DT_INT32: { const int32_t v = static_cast<int32_t>(value); std::memcpy(at, &v, 4); break; }
            case DT_FLOAT32: { const float v = static_cast<float>(value); std::memcpy(at, &v, 4); break; }
            default: throw std::runtime_error("unsupported test datatype");
        }
    }
    image->scl_slope = content.slope;
    image->scl_inter = content.intercept;
    if (content.useQform) {
        image->sform_code = 0;
        image->qform_code = 1;
        image->dx = image->dy = image->dz = content.voxelSize;
        image->pixdim[1] = image->pixdim[2] = image->pixdim[3] = content.voxelSize;
        image->quatern_b = image->quatern_c = image->quatern_d = 0.0;
        image->qoffset_x = content.qformOffset[0];
        image->qoffset_y = content.qformOffset[1];
        image->qoffset_z = content.qformOffset[2];
        image->qfac = 1.0;
    } else {
        image->sform_code = 1;
        image->qform_code = 0;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c) image->sto_xyz.m[r][c] = content.sform[static_cast<std::size_t>(r * 4 + c)];
        }
    }
    image->nifti_type = content.nifti2 ? NIFTI_FTYPE_NIFTI2_1 : NIFTI_FTYPE_NIFTI1_1;
    if (nifti_set_filenames(image, path.c_str(), 0, 1) != 0) {
        nifti_image_free(image);
        throw std::runtime_error("cannot name the NIfTI file " + path);
    }
    nifti_image_write(image);
    nifti_image_free(image);
}

}  // namespace zevkalon::testing

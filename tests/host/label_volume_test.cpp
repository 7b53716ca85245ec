#include "host/readers/label_volume.h"

#include <gtest/gtest.h>

#include "host/host_error.h"
#include "host/documents/voi_set.h"
#include "tests/host/test_files.h"

namespace zevkalon {
namespace {

using testing::NiftiContent;

class LabelVolumeTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = testing::makeTempFolder(); }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string dir_;
};

TEST_F(LabelVolumeTest, ReadsLabelsAndSformAndMakesOneVoiPerLabelInStorageOrder) {
    NiftiContent content;
    content.dims[0] = 3, content.dims[1] = 2, content.dims[2] = 2;
    content.labels = {0, 5, 0, 2, 0, 0, 5, 0, 0, 0, 0, 2};
    content.sform = {2, 0, 0, -1, 0, 3, 0, 0, 0, 0, 4, 5};
    testing::writeNifti(content, dir_ + "/v.nii.gz");
    const LabelVolume volume = readLabelVolume(dir_ + "/v.nii.gz");
    EXPECT_EQ(volume.dims[0], 3);
    EXPECT_EQ(volume.dims[2], 2);
    EXPECT_EQ(volume.voxelToWorld.at(1, 1), 3.0);
    EXPECT_EQ(volume.voxelToWorld.at(2, 3), 5.0);

    const std::vector<VoiData> vois = voisFromLabels(volume);
    ASSERT_EQ(vois.size(), 2u);
    EXPECT_EQ(vois[0].label, 2);
    // Index 3 is (0, 1, 0), index 11 is (2, 1, 1).
    EXPECT_EQ(vois[0].voxels, (std::vector<std::int32_t>{0, 1, 0, 2, 1, 1}));
    EXPECT_EQ(vois[1].label, 5);
    EXPECT_EQ(vois[1].voxels, (std::vector<std::int32_t>{1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(vois[1].nrOfVoxels(), 2);
}

TEST_F(LabelVolumeTest, IntegralFloatsAndScaledValuesAreLabelsAndQformIsTheFallback) {
    NiftiContent content;
    content.dims[0] = 2, content.dims[1] = 1, content.dims[2] = 1;
    content.datatype = 16;
    content.labels = {-3.0, 2.0};
    content.slope = 2.0, content.intercept = 1.0;  // labels -5 and 5
    content.useQform = true;
    content.voxelSize = 1.5;
    content.qformOffset = {7, 8, 9};
    content.nifti2 = true;
    testing::writeNifti(content, dir_ + "/f.nii");
    const LabelVolume volume = readLabelVolume(dir_ + "/f.nii");
    EXPECT_EQ(volume.labels, (std::vector<std::int32_t>{-5, 5}));
    EXPECT_EQ(volume.voxelToWorld.at(0, 0), 1.5);
    EXPECT_EQ(volume.voxelToWorld.at(0, 3), 7.0);
    const std::vector<VoiData> vois = voisFromLabels(volume);
    ASSERT_EQ(vois.size(), 2u);
    EXPECT_EQ(vois[0].label, -5);
}

TEST_F(LabelVolumeTest, RefusesValuesThatAreNoLabels) {
    NiftiContent content;
    content.dims[0] = 2, content.dims[1] = 2, content.dims[2] = 1;
    content.datatype = 16;
    content.labels = {0, 0, 0, 3e9};
    testing::writeNifti(content, dir_ + "/big.nii");
    try {
        readLabelVolume(dir_ + "/big.nii");
        ADD_FAILURE() << "a label beyond 32 bits was accepted";
    } catch (const HostError& error) {
        EXPECT_EQ(error.code(), kExitBadInput);
        EXPECT_NE(std::string(error.what()).find("voxel (1, 1, 0) holds the label"), std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace zevkalon

// The fixture of the tests that run zevkalon on the grid scene and fault
// what it writes.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace zevkalon::robustness {

// A fresh folder with inputs/labels.nii and inputs/grid.obj (the grid
// scene) and an empty out/ for zevkalon's files, removed afterwards.
class GridRunTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dir_, inputs_, out_;
};

// How often part occurs in text.
std::size_t occurrences(const std::string& text, const std::string& part);

}  // namespace zevkalon::robustness

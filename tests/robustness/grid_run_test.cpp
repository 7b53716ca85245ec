#include "tests/robustness/grid_run_test.h"

#include <sys/stat.h>

#include "tests/robustness/robustness_inputs.h"

namespace zevkalon::robustness {

void GridRunTest::SetUp() {
    dir_ = makeTempFolder();
    inputs_ = dir_ + "/inputs";
    out_ = dir_ + "/out";
    mkdir(inputs_.c_str(), 0755);
    mkdir(out_.c_str(), 0755);
    const GridScene scene;
    writeText(inputs_ + "/labels.nii", scene.volume());
    writeText(inputs_ + "/grid.obj", scene.obj());
}

void GridRunTest::TearDown() { removeTree(dir_); }

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace zevkalon::robustness

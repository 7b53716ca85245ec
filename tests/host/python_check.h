// Checking files with Debian's Python and its python3-nibabel, the field's
// reference reader.
#pragma once

#include <string>
#include <vector>

namespace zevkalon::testing {

// Debian's interpreter, which has the distribution's modules (a python3
// earlier on PATH may be another build without them).
constexpr const char* kDebianPython = "/usr/bin/python3";

// True when kDebianPython can import nibabel. Tests that need it skip with
// GTEST_SKIP() << kNoNibabel otherwise.
bool haveNibabel();
constexpr const char* kNoNibabel = "python3-nibabel is not installed (Debian package python3-nibabel)";

struct PythonResult {
    int status = -1;     // the interpreter's exit status
    std::string output;  // its standard output and standard error together
};

// Runs script (the program text) with arguments, each passed as one word.
PythonResult runPython(const std::string& script, const std::vector<std::string>& arguments = {});

}  // namespace zevkalon::testing

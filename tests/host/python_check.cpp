#include "tests/host/python_check.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "tests/host/test_files.h"

namespace zevkalon::testing {
namespace {

std::string quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

bool haveNibabel() {
    static const bool available = runPython("import nibabel\n").status == 0;
    return available;
}

PythonResult runPython(const std::string& script, const std::vector<std::string>& arguments) {
    const std::string folder = makeTempFolder();
    writeText(folder + "/check.py", script);
    std::string command = std::string(kDebianPython) + " " + quoted(folder + "/check.py");
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " > " + quoted(folder + "/output.txt") + " 2>&1";
    PythonResult result;
    const int status = std::system(command.c_str());
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.output = readText(folder + "/output.txt");
    std::system(("rm -rf " + quoted(folder)).c_str());
    return result;
}

}  // namespace zevkalon::testing

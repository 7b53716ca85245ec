// zevkalon: the stand-in for the Zevkalon application that runs the
// Tessarin plug-in on files or on the embedded demo scene.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "host/host_error.h"
#include "host/app/host_run.h"
#include "host/app/memory_policy.h"
#include "host/phase_timings.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <csignal>
#endif

namespace {

int run(int argc, char** argv) {
#if defined(_WIN32)
    // The log pane's contract is "text and one line feed": no CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#else
    // A file size limit (ulimit -f) makes writes fail with EFBIG instead of
    // killing zevkalon, so that it can report the file and keep the old one.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        const zevkalon::HostOptions options = zevkalon::parseCommandLine(arguments);
        return zevkalon::runHost(options, std::cout, std::cerr);
    } catch (const zevkalon::HostError& error) {
        std::cout.flush();
        std::cerr << "zevkalon: " << error.what() << '\n';
        return error.code();
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "zevkalon: not enough memory\n";
        return zevkalon::kExitInternal;
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "zevkalon: internal error: " << error.what() << '\n';
        return zevkalon::kExitInternal;
    }
}

}  // namespace

int main(int argc, char** argv) {
    zevkalon::startPhaseTimings();
    zevkalon::useMemoryForLargeArrays();
    const int status = run(argc, argv);
    zevkalon::printPhaseTimings(std::cerr);
    return status;
}

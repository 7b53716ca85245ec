// The value that follows an option on the benchmarks' command lines.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tessarin::bench {

// argv[i + 1], advancing i past it; ends the program with status 2 and a
// message naming the option when the command line stops short.
inline std::string optionValue(int argc, char** argv, int& i) {
    if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", argv[i]);
        std::exit(2);
    }
    return argv[++i];
}

}  // namespace tessarin::bench

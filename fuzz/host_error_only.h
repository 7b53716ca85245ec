// What every reader fuzz target shares: the one way a reader may refuse an
// input is zevkalon::HostError; anything else that escapes is a defect, so
// it aborts and libFuzzer records the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "host/host_error.h"

namespace tessarin::fuzz {

template <typename Read>
void expectOnlyHostErrors(Read read) {
    try {
        read();
    } catch (const zevkalon::HostError&) {
        // A refusal with a message: the expected outcome for bad input.
    } catch (const std::exception& error) {
        std::fprintf(stderr, "reader let an unexpected exception escape: %s\n", error.what());
        std::abort();
    } catch (...) {
        std::fprintf(stderr, "reader let an unknown exception escape\n");
        std::abort();
    }
}

}  // namespace tessarin::fuzz

// The plug-in class under the platform's own C++ ABI (ELF systems): its
// operations are the shared start-up checks, conversion run and closing
// banner. The Windows module builds the same object by hand for the
// Microsoft ABI instead (msvc_classes_windows.cpp).
#include "shell/tessarin.h"

#include "convert/conversion_run.h"
#include "shell/closing_banner.h"
#include "shell/startup_checks.h"

Tessarin::Tessarin() = default;

Tessarin::~Tessarin() { writeClosingBanner(); }

bool Tessarin::execute() { return tessarin::executeConversionRun(); }

bool Tessarin::initPlugin() { return runStartupChecksSafely(); }

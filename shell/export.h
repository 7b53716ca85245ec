// Marks the symbols that the plug-in module exports to its host.
#pragma once

// Everything else is hidden (the build sets hidden visibility by default).
// Outside the plug-in's own build (the stand-in host, the tests) the marks
// expand to nothing: those only call through function pointers and vtables.
#if defined(TESSARIN_BUILDING_PLUGIN)
#if defined(_WIN32)
#define TESSARIN_EXPORT __declspec(dllexport)
#else
#define TESSARIN_EXPORT __attribute__((visibility("default")))
#endif
#else
#define TESSARIN_EXPORT
#endif

// A library that exports zkGetVersionOfZevkalon without being the host. The
// host module variant without that function depends on it, so the binding
// must tell a symbol of the host module itself from one of its dependencies.
#include <cstdint>

#if defined(_WIN32)
#define PROVIDER_EXPORT extern "C" __declspec(dllexport)
#else
#define PROVIDER_EXPORT extern "C" __attribute__((visibility("default")))
#endif

PROVIDER_EXPORT std::int32_t zkGetVersionOfZevkalon(std::int32_t* major, std::int32_t* minor,
                                                    std::int32_t* third) {
    *major = 9;
    *minor = 9;
    *third = 9;
    return 1;
}

// Referenced by the host module variant so that the link keeps this library
// as a dependency.
PROVIDER_EXPORT std::int32_t fakeVersionProviderMarker() { return 1; }

# Compile settings shared by every target: link tessarin_settings PRIVATE.
add_library(tessarin_settings INTERFACE)
target_compile_features(tessarin_settings INTERFACE cxx_std_17)
target_include_directories(tessarin_settings INTERFACE ${PROJECT_SOURCE_DIR})
# Results must be bit-identical on every compiler and platform: no fused
# multiply-add contraction, no fast-math.
target_compile_options(tessarin_settings INTERFACE
    -Wall -Wextra -Werror -Wshadow -ffp-contract=off
    $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual>)

option(TESSARIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TESSARIN_SANITIZE)
    # No vptr check: a host calls the plug-in's virtual functions without
    # linking its classes' type information, which lives only in the module.
    # GCC's -Wmaybe-uninitialized misfires on instrumented standard-library
    # code (std::regex, std::function); the uninstrumented build keeps it.
    target_compile_options(tessarin_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all -fno-omit-frame-pointer
        -Wno-maybe-uninitialized)
    target_link_options(tessarin_settings INTERFACE -fsanitize=address,undefined)
endif()

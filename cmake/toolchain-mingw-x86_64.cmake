# Cross build for 64-bit Windows with mingw-w64; tests run under Wine.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The -posix variants: GoogleTest needs their thread support.
find_program(TESSARIN_MINGW_CC NAMES x86_64-w64-mingw32-gcc-posix)
find_program(TESSARIN_MINGW_CXX NAMES x86_64-w64-mingw32-g++-posix)
if(NOT TESSARIN_MINGW_CC OR NOT TESSARIN_MINGW_CXX)
    message(FATAL_ERROR "mingw-w64 posix compilers not found (Debian package g++-mingw-w64-x86-64-posix)")
endif()
set(CMAKE_C_COMPILER ${TESSARIN_MINGW_CC})
set(CMAKE_CXX_COMPILER ${TESSARIN_MINGW_CXX})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Runtime linked in: the DLL and the executables import only system DLLs
# (otherwise Wine stops with "libwinpthread-1.dll not found").
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# The wine64 loader itself: the "wine" wrapper prints a hint about wine32 on
# every start. WINEDEBUG keeps DLL load errors but drops the noise of a
# machine without a display.
find_program(TESSARIN_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
if(NOT TESSARIN_WINE)
    find_program(TESSARIN_WINE NAMES wine64 wine)
endif()
if(TESSARIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEDEBUG=-all,err+module ${TESSARIN_WINE})
endif()

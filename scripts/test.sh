#!/usr/bin/env bash
# The whole test suite: installs missing packages (as root), builds natively
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test,
# then cross-builds for Windows and runs the Windows tests under Wine.
#
#   bash scripts/test.sh
#
# Build folders: $TESSARIN_BUILD_ROOT/test-native and .../test-windows
# (default <repo>/build). TESSARIN_JOBS sets the parallel jobs (default 2).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

started=$SECONDS
phase_times=()
phase() { phase_times+=("$(printf '%-34s %4d s' "$1" $((SECONDS - $2)))"); }
wineserver_started=""
# On every exit, passed or failed: stop our Wine server, show the timings.
finish() {
    local status=$?
    if [ -n "$wineserver_started" ]; then "$wineserver_started" -k > /dev/null 2>&1 || true; fi
    [ "$status" = 0 ] && tessarin_log "All tests passed" || tessarin_log "FAILED (exit status $status)"
    [ "${#phase_times[@]}" = 0 ] || printf '%s\n' "${phase_times[@]}"
    printf '%-34s %4d s\n' "total" $((SECONDS - started))
}
trap finish EXIT

tessarin_log "Packages"
t=$SECONDS
tessarin_install_packages
tessarin_install_viewer
phase "packages" $t

tessarin_log "Native build with sanitizers"
native="$TESSARIN_BUILD_ROOT/test-native"
t=$SECONDS
tessarin_build "$native" -DTESSARIN_SANITIZE=ON
phase "native build (ASan+UBSan)" $t

tessarin_log "Native tests"
t=$SECONDS
(cd "$native" && ctest --output-on-failure --timeout 600 -j "$TESSARIN_JOBS")
phase "native tests" $t

windows="$TESSARIN_BUILD_ROOT/test-windows"
if ! command -v x86_64-w64-mingw32-g++-posix > /dev/null; then
    tessarin_log "SKIPPED: the Windows build and its tests (no mingw-w64 cross compiler;" \
                 "install g++-mingw-w64-x86-64-posix)"
else
    tessarin_log "Windows cross build"
    t=$SECONDS
    # The native zevkalon is what the Windows demo (Zevkalon.exe under Wine) is compared with.
    tessarin_build "$windows" -DCMAKE_TOOLCHAIN_FILE="$TESSARIN_ROOT/cmake/toolchain-mingw-x86_64.cmake" \
        -DTESSARIN_NATIVE_ZEVKALON="$native/host/zevkalon"
    phase "Windows cross build" $t

    if tessarin_have_wine; then
        tessarin_log "Windows tests under Wine"
        t=$SECONDS
        wine_loader=/usr/lib/wine/wine64
        [ -x "$wine_loader" ] || wine_loader="$(command -v wine64 || command -v wine)"
        wineserver_bin=/usr/lib/wine/wineserver
        [ -x "$wineserver_bin" ] || wineserver_bin="$(command -v wineserver)"
        # A prefix of our own, set up once; no Mono or Gecko install prompts.
        export WINEPREFIX="$windows/wine-prefix"
        export WINEDEBUG=-all,err+module
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            WINEDLLOVERRIDES="mscoree,mshtml=" "$wine_loader" wineboot --init < /dev/null > /dev/null 2>&1 || true
        fi
        # A persistent server makes each Wine start cheap. Only one server
        # runs per prefix: end the one wineboot (or an interrupted run) left.
        "$wineserver_bin" -k > /dev/null 2>&1 || true
        "$wineserver_bin" -w || true
        "$wineserver_bin" -p
        wineserver_started="$wineserver_bin"
        # The first process of a prefix starts Wine's background services,
        # which keep its output open for as long as the server lives; start
        # them here, away from ctest's pipes, or ctest waits for them.
        "$wine_loader" cmd /c exit < /dev/null > /dev/null 2>&1 || true
        status=0
        (cd "$windows" && ctest --output-on-failure --timeout 300 -j 1) || status=$?
        "$wineserver_bin" -k > /dev/null 2>&1 || true
        wineserver_started=""
        phase "Windows tests (Wine)" $t
        [ "$status" = 0 ] || exit "$status"
    else
        tessarin_log "SKIPPED: the Windows tests need Wine, which is not installed (Debian packages" \
                     "wine and wine64). Only the DLL's export table is checked."
        (cd "$windows" && ctest --output-on-failure -R '^plugin_exports$')
    fi
fi

tessarin_log "Fuzzing (libFuzzer, 10 s per target)"
t=$SECONDS
TESSARIN_FUZZ_BUILD_DIR="$TESSARIN_BUILD_ROOT/fuzz" bash "$TESSARIN_ROOT/scripts/fuzz.sh"
phase "fuzzing" $t

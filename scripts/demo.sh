#!/usr/bin/env bash
# The demo: sets up (missing Debian packages when run as root, configure,
# build), then runs the Tessarin plug-in in the stand-in host zevkalon on its
# embedded scene and prints the plug-in's log. The POI file is left in DIR.
#
#   bash scripts/demo.sh [DIR]      (DIR: where the POI file goes, default: the current folder)
#
# Build folder: $TESSARIN_BUILD_ROOT/release (default <repo>/build/release),
# the same one scripts/setup.sh builds. TESSARIN_JOBS sets the parallel jobs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

out_dir="${1:-$PWD}"
mkdir -p "$out_dir"
out_dir="$(cd "$out_dir" && pwd)"
build="$TESSARIN_BUILD_ROOT/release"

tessarin_log "Packages"
tessarin_install_packages

tessarin_log "Building zevkalon and the plug-in into $build"
cmake -S "$TESSARIN_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target zevkalon -j "$TESSARIN_JOBS" > /dev/null

tessarin_log "Running: zevkalon demo --out-dir $out_dir"
echo "(The plug-in's log follows; lines starting with \"zevkalon:\" are the host's own.)"
echo
status=0
"$build/host/zevkalon" demo --out-dir "$out_dir" || status=$?
if [ "$status" != 0 ]; then
    echo "zevkalon failed with exit status $status" >&2
    exit "$status"
fi
tessarin_log "The POI file: $out_dir/tessarin_demo.poi"
head -n 14 "$out_dir/tessarin_demo.poi"
echo "..."

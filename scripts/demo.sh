#!/usr/bin/env bash
# The demo: sets up (missing Debian packages when run as root, NiiVue from
# npm, configure, build), then runs the Tessarin plug-in in the stand-in host
# zevkalon on its embedded scene and prints the plug-in's log. The POI file,
# the viewer page (tessarin_demo.html) and its snapshot (tessarin_demo.png)
# are left in DIR; without npm or Chromium the demo runs without them.
#
#   bash scripts/demo.sh [DIR]      (DIR: where the files go, default: the current folder)
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
page="$out_dir/tessarin_demo.html"
snapshot="$out_dir/tessarin_demo.png"
if ! tessarin_install_viewer; then
    echo "(The demo runs without its viewer page and snapshot.)"
    page="" snapshot=""
elif [ -z "${ZEVKALON_CHROMIUM:-}" ] && ! command -v chromium chromium-browser google-chrome > /dev/null; then
    echo "Chromium is missing (Debian package chromium): the demo writes its viewer page but no snapshot."
    snapshot=""
fi
viewer_options=()
[ -z "$page" ] || viewer_options+=(--view "$page")
[ -z "$snapshot" ] || viewer_options+=(--snapshot "$snapshot")

tessarin_log "Building zevkalon and the plug-in into $build"
cmake -S "$TESSARIN_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" --target zevkalon -j "$TESSARIN_JOBS" > /dev/null

tessarin_log "Running: zevkalon demo --out-dir $out_dir ${viewer_options[*]}"
echo "(The plug-in's log follows; lines starting with \"zevkalon:\" are the host's own.)"
echo
status=0
"$build/host/zevkalon" demo --out-dir "$out_dir" "${viewer_options[@]}" || status=$?
if [ "$status" != 0 ]; then
    echo "zevkalon failed with exit status $status" >&2
    exit "$status"
fi
tessarin_log "The POI file: $out_dir/tessarin_demo.poi"
head -n 14 "$out_dir/tessarin_demo.poi"
echo "..."
if [ -n "$page" ]; then
    tessarin_log "The viewer page: $page"
    echo "Open it in a web browser (double-click it, or: chromium $page); it needs no network."
fi
if [ -n "$snapshot" ]; then
    tessarin_log "The snapshot: $snapshot (the surface from the left, the right, above and below)"
fi

#!/usr/bin/env bash
# Benchmarks, not tests: how fast Tessarin and zevkalon are, side by side
# with Connectome Workbench (the peer), with the literal reference path of
# every geometry operation, and with the Windows build under Wine.
#
#   bash scripts/bench.sh [--quick] [--literal-limit SECONDS]
#
# It builds Release binaries into build-bench/ (and build-bench-windows/
# when mingw-w64 and Wine are installed), makes the real brains of
# scripts/real_brain.py in build-bench/brains/, and prints:
#  1. zevkalon end to end on the 1 mm brain (GIFTI and OBJ surface, all four
#     options) against wb_command -volume-label-to-surface-mapping on the
#     same files: best wall-clock time and peak memory of each, and ratios
#     (Debian's connectome-workbench, installed when run as root; without it
#     that row says so);
#  2. the plug-in's execute phase by phase (CPU time of its thread, best
#     of several runs) against the literal path (each literal phase stopped
#     at the limit, default 120 s);
#  3. worst cases: one brain-wide label riddled with holes (with and without
#     hole filling), random neighbour rows, ranges and step counts no dialog
#     allows;
#  4. Tessarin.dll under Wine against Tessarin.so on the same saved scene,
#     each in fresh processes, as a host loads the plug-in once.
# --quick: fewer runs and a literal limit of 20 s.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

repeat=5
literal_limit=120
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) repeat=3 literal_limit=20 ;;
        --literal-limit) literal_limit="$2"; shift ;;
        *) echo "usage: bash scripts/bench.sh [--quick] [--literal-limit SECONDS]" >&2; exit 2 ;;
    esac
    shift
done

root="$TESSARIN_ROOT"
build="${TESSARIN_BENCH_BUILD_DIR:-$root/build-bench}"
brains="$build/brains"
runs="/usr/bin/python3 $root/scripts/bench_runs.py"

tessarin_log "Packages and Release build"
tessarin_install_packages > /dev/null
# The peer, for the benchmark only (about 40 packages with Qt, so not for the tests).
if ! command -v wb_command > /dev/null && [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends connectome-workbench > /dev/null ||
        echo "Could not install connectome-workbench: no peer to compare with."
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSARIN_BUILD_TESTS=OFF -DTESSARIN_BUILD_BENCH=ON > /dev/null
cmake --build "$build" -j "$TESSARIN_JOBS" --target zevkalon tessarin_end_to_end_bench > /dev/null
zevkalon="$build/host/zevkalon"
bench="$build/bench/end_to_end/zevkalon"

if [ ! -f "$brains/brain1/pepper.nii.gz" ]; then
    /usr/bin/python3 "$root/scripts/real_brain.py" "$brains/brain1" --pepper 0.3 --obj
fi
if [ ! -f "$brains/brain52/white.surf.gii" ]; then
    /usr/bin/python3 "$root/scripts/real_brain.py" "$brains/brain52" --voxel-size 2.5
fi
b1="$brains/brain1"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

echo
echo "Machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)"
echo "Brain: $(/usr/bin/python3 -c "import nibabel as n; g = n.load('$b1/white.surf.gii'); print(len(g.darrays[0].data), 'vertices,', len(g.darrays[1].data), 'triangles')")," \
     "AAL atlas 181 x 217 x 181, 116 labels"

tessarin_log "1. zevkalon end to end against Connectome Workbench (wall clock, best of $repeat; seconds, MB)"
options=(--labels "$b1/aal_lut.txt" --from -1 --to 3 --no-overlap --largest-patch --fill-holes --smooth 2)
printf '%-44s %8s %8s %8s\n' "" "best" "median" "peak RSS"
gifti="$($runs "$repeat" "zevkalon, GIFTI surface" "$zevkalon" "${options[@]}" --voi-file "$out/g.voi" "$b1/aal.nii.gz" "$b1/white.surf.gii")"
obj="$($runs "$repeat" "zevkalon, OBJ surface" "$zevkalon" "${options[@]}" --voi-file "$out/o.voi" "$b1/aal.nii.gz" "$b1/white.obj")"
echo "$gifti"
echo "$obj"
if command -v wb_command > /dev/null; then
    [ -f "$b1/aal_wb.nii.gz" ] || wb_command -volume-label-import "$b1/aal.nii.gz" "" "$b1/aal_wb.nii.gz"
    wb="$($runs "$repeat" "wb_command -volume-label-to-surface-mapping" wb_command -volume-label-to-surface-mapping \
          "$b1/aal_wb.nii.gz" "$b1/white.surf.gii" "$out/wb.label.gii")"
    echo "$wb"
    awk -v g="$gifti" -v o="$obj" -v w="$wb" 'BEGIN {
        n = split(g, gs, " "); m = split(o, os, " "); k = split(w, ws, " ");
        printf "zevkalon (GIFTI) / Workbench: %.2f (goal: at most 0.5)\n", gs[n - 2] / ws[k - 2];
        printf "OBJ path / GIFTI path: %.2f (goal: at most 1.5); peak RSS %s MB (goal: at most 100)\n", os[m - 2] / gs[n - 2], gs[n] }'
else
    echo "wb_command is not installed (Debian package connectome-workbench): no peer to compare with."
    awk -v g="$gifti" -v o="$obj" 'BEGIN { n = split(g, gs, " "); m = split(o, os, " ");
        printf "OBJ path / GIFTI path: %.2f (goal: at most 1.5); peak RSS %s MB (goal: at most 100)\n", os[m - 2] / gs[n - 2], gs[n] }'
fi

tessarin_log "2. The plug-in's execute on the 1 mm brain, phase by phase, against the literal path"
"$bench" --brain "$b1/aal.nii.gz" "$b1/white.surf.gii" --repeat "$repeat" --literal-limit "$literal_limit" \
    --save-scene "$out/brain1.scene" | sed -n '/^phase/,$p'
tessarin_log "   The same on the synthetic scene (a folded ellipsoid, 252,152 vertices)"
"$bench" --repeat "$repeat" --literal-limit "$literal_limit" | sed -n '/^phase/,$p'

tessarin_log "3. Worst cases (the plug-in's execute, CPU seconds)"
whole() { "$bench" --no-literal "$@" | awk '/^whole run/ {print $3}'; }
without="$(whole --brain "$b1/pepper.nii.gz" "$b1/white.surf.gii" --from 0 --to 0 --repeat "$repeat" --stages largest,smooth,nooverlap)"
with="$(whole --brain "$b1/pepper.nii.gz" "$b1/white.surf.gii" --from 0 --to 0 --repeat "$repeat")"
awk -v a="$with" -v b="$without" 'BEGIN { printf "brain-wide label, 30%% of voxels knocked out, From 0 To 0: %.3f s with hole filling, %.3f s without: %.1fx (goal: at most 3x)\n", a, b, a / b }'
printf 'random neighbour rows, 2.5 mm brain (52,018 vertices), all options: %s s\n' \
    "$(whole --brain "$brains/brain52/aal.nii.gz" "$brains/brain52/white.surf.gii" --random-rows)"
printf 'From -3e38, To 3e38, 1 mm brain, all options: %s s (goal: at most 2 s)\n' \
    "$(whole --brain "$b1/aal.nii.gz" "$b1/white.surf.gii" --from -3e38 --to 3e38)"
printf 'NrSmooth 2147483647, 1 mm brain, all options: %s s (goal: at most 2 s)\n' \
    "$(whole --brain "$b1/aal.nii.gz" "$b1/white.surf.gii" --smooth 2147483647)"

tessarin_log "4. Tessarin.dll under Wine against Tessarin.so (1 mm brain, fresh processes, best of $repeat)"
if ! command -v x86_64-w64-mingw32-g++-posix > /dev/null || ! tessarin_have_wine; then
    echo "mingw-w64 or Wine is not installed: no Windows figures."
    exit 0
fi
windows="$build-windows"
cmake -S "$root" -B "$windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTESSARIN_BUILD_TESTS=OFF > /dev/null
cmake --build "$windows" -j "$TESSARIN_JOBS" --target tessarin_windows_bench > /dev/null
wine_loader=/usr/lib/wine/wine64
[ -x "$wine_loader" ] || wine_loader="$(command -v wine64 || command -v wine)"
export WINEPREFIX="$windows/wine-prefix" WINEDEBUG=-all
linux_best="" wine_best=""
for _ in $(seq "$repeat"); do
    l="$("$bench" --no-literal --brain "$b1/aal.nii.gz" "$b1/white.surf.gii" | awk '/^whole run/ {print $3}')"
    w="$(cd "$windows/bench/end_to_end" && "$wine_loader" Zevkalon.exe "Z:$out/brain1.scene" --repeat 1 2> /dev/null |
         awk '/^whole run/ {print $3}')"
    linux_best="$(awk -v a="$l" -v b="$linux_best" 'BEGIN { print (b == "" || a < b) ? a : b }')"
    wine_best="$(awk -v a="$w" -v b="$wine_best" 'BEGIN { print (b == "" || a < b) ? a : b }')"
done
awk -v l="$linux_best" -v w="$wine_best" 'BEGIN {
    printf "Tessarin.so (Linux): %.3f s; Tessarin.dll (Wine, called as a Microsoft-built host does): %.3f s; ratio %.2f (goal: at most 1.3)\n", l, w, w / l }'

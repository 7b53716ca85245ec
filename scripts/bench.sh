#!/usr/bin/env bash
# End-to-end benchmark: builds the plug-in and the benchmark host in Release
# (no sanitizers) in build-bench/ and runs the whole conversion on a
# brain-sized scene, printing per-phase times, speed-ups over the literal
# path and peak memory. Not part of the test suite.
#
#   bash scripts/bench.sh                      full run (literal phases stop after 600 s each)
#   bash scripts/bench.sh --literal-limit 60   shorter literal limit
#   bash scripts/bench.sh --no-literal         plug-in only
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TESSARIN_BENCH_BUILD_DIR:-$root/build-bench}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSARIN_SANITIZE=OFF -DTESSARIN_BUILD_TESTS=OFF \
      -DTESSARIN_BUILD_BENCH=ON > /dev/null
cmake --build "$build" --target tessarin_end_to_end_bench -j2 > /dev/null
exec "$build/bench/end_to_end/zevkalon" "$@"

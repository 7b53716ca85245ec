#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UBSan) in
# build-fuzz/ and runs each for a bounded time on its seed corpus in
# fuzz/corpus/. Fails on any crash, hang, leak, out-of-memory or sanitizer
# report, and prints the sanitizer's report and the input that caused it.
#
#   bash scripts/fuzz.sh                        every target, 10 s each
#   FUZZ_SECONDS=60 bash scripts/fuzz.sh        longer runs
#   bash scripts/fuzz.sh obj_reader_fuzz        only the named targets
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TESSARIN_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-10}"
all_targets=(obj_reader_fuzz lut_reader_fuzz poi_reader_fuzz nifti_reader_fuzz gifti_reader_fuzz geometry_fuzz)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

corpus_of() {
    case "$1" in
        geometry_fuzz) echo geometry ;;
        *) echo "${1%_reader_fuzz}" ;;
    esac
}

if ! command -v clang++ > /dev/null; then
    echo "fuzz.sh: clang++ is missing (apt-get install clang libclang-rt-14-dev, or run scripts/setup.sh)" >&2
    exit 1
fi
mkdir -p "$build"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > "$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target "${targets[@]}" -j2 > "$build/build.log" 2>&1 ||
    { tail -40 "$build/build.log" >&2; exit 1; }

results="$build/results"
rm -rf "$results"
mkdir -p "$results"
failed=()
for target in "${targets[@]}"; do
    seeds="$root/fuzz/corpus/$(corpus_of "$target")"
    work="$results/$target.corpus"
    mkdir -p "$work"
    # The readers send library messages through a redirected stderr, so the
    # sanitizers write their reports to files of their own.
    # New inputs go to the work folder; the seeds in the repository are only read.
    ASAN_OPTIONS="log_path=$results/$target.sanitizer:detect_leaks=1" \
    UBSAN_OPTIONS="log_path=$results/$target.sanitizer:print_stacktrace=1:halt_on_error=1" \
        "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$results/$target-" "$work" "$seeds" \
        > "$results/$target.log" 2>&1
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$results/$target.log" | grep -o '[0-9]*$')
    coverage=$(grep -oE 'cov: [0-9]+' "$results/$target.log" | tail -1)
    if [ $status -eq 0 ]; then
        printf 'fuzz: %-18s ok     %8s runs in %ss, %s\n' "$target" "${runs:-?}" "$seconds" "${coverage:-cov: ?}"
    else
        printf 'fuzz: %-18s FAILED (exit %d)\n' "$target" "$status"
        grep -E '^==[0-9]+==|SUMMARY|Test unit written|ERROR: libFuzzer|differs from' "$results/$target.log" | head -8 | sed 's/^/      /'
        for report in "$results/$target.sanitizer".*; do
            [ -f "$report" ] && head -12 "$report" | sed 's/^/      /'
        done
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: failed: ${failed[*]} (inputs and logs in $results)" >&2
    exit 1
fi
echo "fuzz: all ${#targets[@]} targets passed"

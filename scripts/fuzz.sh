#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) in build-fuzz/
# and runs each for SECONDS seconds (default 60) on a scratch copy of its seed
# corpus in fuzz/corpus/. Exits non-zero when any target crashes or reports a
# sanitizer error; the input that did it is kept in build-fuzz/crashes/ and the
# full output in build-fuzz/logs/.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
#
# Every target runs with a limit on a single allocation and on its memory, so
# that an allocation sized from an input without a check fails the run.
#
# SECONDS 0 means no time limit. More libFuzzer options go in FUZZ_OPTIONS,
# e.g. a campaign of ten million runs of one target:
#   FUZZ_OPTIONS=-runs=10000000 bash scripts/fuzz.sh 0 numbers
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

# Every target and the longest input it is given.
declare -A MAX_LEN=(
    [bmp_frame]=4096
    [numbers]=4096
    [pitch_store]=1024
    [engine_run]=4096
    [picture_decode]=16384
    [pitch_reading]=20480
    [embedded_profile]=16384
)
# The largest single allocation (MB) and the most memory (MB) a target may
# take: the decoders' own limits (256 MB for a band of TIFF tiles) fit.
MALLOC_LIMIT_MB=512
RSS_LIMIT_MB=2048
# The order they run in.
ALL_TARGETS=(bmp_frame numbers pitch_store engine_run picture_decode pitch_reading embedded_profile)

seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=("${ALL_TARGETS[@]}")
fi
for t in "${targets[@]}"; do
    if [ -z "${MAX_LEN[$t]:-}" ]; then
        echo "unknown fuzz target '$t' (known: ${ALL_TARGETS[*]})" >&2
        exit 2
    fi
done

need_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
echo "== Building the fuzz targets with clang in build-fuzz/"
# -O1 with line tables: what libFuzzer's own builds use, and quick to compile.
# shellcheck disable=SC2046 # no option or one
CC=clang CXX=clang++ cmake_ninja build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DTOVREL_FUZZ=ON -DTOVREL_TESTS=OFF -DTOVREL_BENCH=OFF $(linker_options)
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

# The targets write files on every run: keep them in memory when possible.
scratch_root="${TMPDIR:-/tmp}"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch_root=/dev/shm
fi
work="$(mktemp -d "$scratch_root/tovrel-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/logs build-fuzz/crashes

failed=()
for t in "${targets[@]}"; do
    log="build-fuzz/logs/$t.log"
    mkdir -p "$work/$t/corpus" "$work/$t/tmp"
    cp fuzz/corpus/"$t"/* "$work/$t/corpus/"
    echo "== Fuzzing $t for ${seconds} s"
    rc=0
    # shellcheck disable=SC2086 # FUZZ_OPTIONS is a list of options
    TMPDIR="$work/$t/tmp" "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" \
        -max_len="${MAX_LEN[$t]}" -malloc_limit_mb="$MALLOC_LIMIT_MB" \
        -rss_limit_mb="$RSS_LIMIT_MB" -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$t-" ${FUZZ_OPTIONS:-} \
        "$work/$t/corpus" >"$log" 2>&1 || rc=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    coverage="$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 || true)"
    if [ "$rc" -eq 0 ]; then
        echo "   $t: ${runs:-?} runs, ${coverage:-no coverage figures}, no crash"
    else
        echo "   $t: FAILED (exit $rc) after ${runs:-?} runs; last lines of $log:"
        tail -n 40 "$log" | sed 's/^/   | /'
        failed+=("$t")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "== Fuzzing found faults in: ${failed[*]} (inputs in build-fuzz/crashes/)"
    exit 1
fi
echo "== Fuzzing found no fault"

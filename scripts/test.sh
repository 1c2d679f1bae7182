#!/usr/bin/env bash
# Runs every fuzz target briefly (a crash fails the run), makes the Debian
# package and checks it (scripts/package.sh, scripts/check_package.sh), then
# builds Tovrel with AddressSanitizer and UndefinedBehaviorSanitizer in build-test/ and runs
# every test with ctest, whose summary stays the last line. Each step prints
# its time: wall clock, and the processor time (user and system) of all its
# processes, which other work on the machine does not inflate.
# shellcheck disable=SC2317 # the steps' functions are called through step
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

# Runs a step, then says how long it took.
step() {
    local name="$1"
    shift
    local TIMEFORMAT="== Step '$name' took %0R s (processor time: user %0U s, system %0S s)"
    time "$@"
}

# Everything the steps below need, in one go.
step "installing" need_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" \
    "${PACKAGE_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
step "fuzzing" bash scripts/fuzz.sh "${TOVREL_FUZZ_SECONDS:-10}"
step "packaging" bash scripts/package.sh
step "checking the package" bash scripts/check_package.sh dist/tovrel_*.deb build-package

build_tests() {
    echo "== Building Tovrel and its tests with ASan and UBSan in build-test/"
    # -O1 and line tables only: the sanitizers' reports keep their file and
    # line, the compilers take far less time than with -O2 -g.
    # shellcheck disable=SC2046 # no option or one
    cmake_ninja build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVREL_SANITIZE=ON \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DTOVREL_BENCH=OFF \
        -DTOVREL_PRECOMPILE=ON $(linker_options)
    cmake --build build-test -j"$(nproc)"
}
step "building the tests" build_tests

run_tests() (
    echo "== Running the tests"
    cd build-test
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
    export LSAN_OPTIONS="suppressions=$(pwd)/../tests/support/lsan.supp:print_suppressions=0"
    ctest --output-on-failure -j"$(nproc)" 2>&1 | tee ctest.log
)
rc=0
step "running the tests" run_tests || rc=$?
# The summary last, as ctest prints it.
grep -E '^[0-9]+% tests passed' build-test/ctest.log | tail -n 1 || true
exit "$rc"

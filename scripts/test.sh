#!/usr/bin/env bash
# Runs every fuzz target briefly (a crash fails the run), makes the Debian
# package and checks it (scripts/package.sh, scripts/check_package.sh), then
# builds Tovrel with AddressSanitizer and UndefinedBehaviorSanitizer in build-test/ and runs
# every test with ctest, whose summary stays the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
bash scripts/fuzz.sh "${TOVREL_FUZZ_SECONDS:-10}"
bash scripts/package.sh
bash scripts/check_package.sh dist/tovrel_*.deb build-package
need_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
echo "== Building Tovrel and its tests with ASan and UBSan in build-test/"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVREL_SANITIZE=ON >/dev/null
cmake --build build-test -j"$(nproc)"
echo "== Running the tests"
cd build-test
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="suppressions=$(pwd)/../tests/support/lsan.supp:print_suppressions=0"
exec ctest --output-on-failure -j"$(nproc)"

#!/usr/bin/env bash
# Builds Tovrel (Release) in build-package/ and makes its Debian package with
# CPack: dist/tovrel_VERSION_amd64.deb, whose path is the last line printed.
# The same build makes the benchmarks (build-package/*_bench), which are not
# packaged.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
echo "== Building Tovrel (Release) in build-package/"
# shellcheck disable=SC2046 # no option or one
cmake_ninja build-package -DCMAKE_BUILD_TYPE=Release -DTOVREL_TESTS=OFF -DTOVREL_BENCH=ON \
    $(linker_options)
cmake --build build-package -j"$(nproc)"
echo "== Making the Debian package"
rm -f build-package/tovrel_*.deb
(cd build-package && cpack -G DEB >/dev/null)
mkdir -p dist
rm -f dist/tovrel_*.deb
cp build-package/tovrel_*.deb dist/
ls dist/tovrel_*.deb

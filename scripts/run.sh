#!/usr/bin/env bash
# Builds Tovrel as a Release build in build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}"
echo "== Building Tovrel (Release) in build/"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOVREL_TESTS=OFF -DTOVREL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
echo "== Starting build/tovrel"
exec ./build/tovrel "$@"

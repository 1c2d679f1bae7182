#!/usr/bin/env bash
# Starts the Release build of Tovrel on a virtual X screen (Xvfb), with FOLDER
# as its current folder, and saves a PNG picture of its window in OUT.png.
# Usage: bash scripts/screenshot.sh FOLDER OUT.png
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 FOLDER OUT.png" >&2
    exit 2
fi
folder=$(cd "$1" && pwd)
out=$(realpath -m "$2")
cd "$(dirname "$0")/.."
source scripts/deps.sh
need_packages "${BUILD_PACKAGES[@]}" xvfb xauth x11-apps x11-utils netpbm
echo "== Building Tovrel (Release) in build/"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOVREL_TESTS=OFF -DTOVREL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
program=$(pwd)/build/tovrel

echo "== Taking the picture in $out"
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    bash scripts/shoot_window.sh "$program" "$folder" "$out"
echo "== Saved $out"

#!/usr/bin/env bash
# Installs, with apt-get, those of the given Debian packages that are missing.
# Sourced by the other scripts: `need_packages pkg...`.
need_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "== Installing missing Debian packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the program needs (Ninja schedules the compilers better than
# make), and the CJK font its window and its pitch chart use.
BUILD_PACKAGES=(cmake make ninja-build g++ qt6-base-dev libgl-dev libfreetype-dev fonts-wqy-zenhei libpng-dev
                libjpeg-dev libtiff-dev libgif-dev libfftw3-dev libeigen3-dev liblcms2-dev pkg-config)
# What the tests need beyond that.
TEST_PACKAGES=(libgtest-dev libtiff-dev libtiff-tools libjpeg-turbo-progs netpbm colord-data libgs-common)
# What building and running the fuzz targets needs beyond building the program.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# What making the Debian package and checking it need.
PACKAGE_PACKAGES=(dpkg-dev file desktop-file-utils man-db)

# Configures a build folder with Ninja: cmake_ninja FOLDER [cmake options...].
# A folder an older script configured with another generator is made anew.
cmake_ninja() {
    local folder="$1"
    shift
    if [ -f "$folder/CMakeCache.txt" ] &&
        ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$folder/CMakeCache.txt"; then
        rm -rf "$folder"
    fi
    cmake -S . -B "$folder" -G Ninja "$@" >/dev/null
}

# The linker: lld when it is there, which links the test programs in a
# fraction of the time.
linker_options() {
    if command -v ld.lld >/dev/null 2>&1; then
        echo "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld"
    fi
}

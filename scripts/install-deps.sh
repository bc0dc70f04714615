#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config
  zlib1g-dev libpugixml-dev libstb-dev libid3-3.8.3-dev libid3-3.8.3v5
  # charset detection for the "auto" code page
  libuchardet-dev
  qt6-base-dev libgl-dev
  # Qt Designer plugin and its tests (Qt6::UiPlugin, Qt6::UiTools; Qt6::Designer
  # needs the OpenGL and xkbcommon development files to be found by CMake)
  qt6-tools-dev libqt6uitools6 libqt6opengl6-dev libxkbcommon-dev
  # tests
  libgtest-dev lame python3-mutagen eyed3 xvfb xauth
  # fuzz targets (scripts/fuzz.sh): clang with libFuzzer and the sanitizers
  clang libclang-rt-14-dev
  # packaging: .deb files (dpkg-shlibdeps and file for cpack), desktop entry
  # check, man pages
  dpkg-dev file desktop-file-utils man-db
  # benchmarks (bench/, built with -DKORVEL_BUILD_BENCH=ON)
  libbenchmark-dev libtag1-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Builds everything with warnings as errors and runs all tests, tests the
# Debian packages (scripts/deb-test.sh), then runs the library's tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, and finally every
# fuzz target for a short fixed budget from its seeds (scripts/fuzz.sh: 11
# targets of 12 seconds each).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The module order: no include goes from a module to one above it.
scripts/check-layers.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build/ci -DKORVEL_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_ALL_TESTS=ON
cmake --build build/ci -j "$jobs"
(cd build/ci && ctest --output-on-failure -j "$jobs")
# The Debian packages of that build, installed with apt-get, checked and removed.
scripts/deb-test.sh build/ci

cmake -S . -B build/sanitize -DKORVEL_WERROR=ON -DKORVEL_SANITIZE=ON -DKORVEL_BUILD_QT=OFF \
  -DCMAKE_BUILD_TYPE=Debug
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize &&
  LSAN_OPTIONS="suppressions=$PWD/../../scripts/lsan.supp:print_suppressions=0" \
    ctest --output-on-failure -j "$jobs")

# The fuzz budget: fails on any crash, leak, timeout or out-of-memory report.
FUZZ_BUILD_JOBS=$jobs scripts/fuzz.sh 12

#!/usr/bin/env bash
# Builds the programs and opens the bundled demo MP3: in Quelm when a display
# is available, otherwise as the korvel command-line view of the file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build/run -DCMAKE_BUILD_TYPE=Release -DKORVEL_BUILD_TESTS=OFF
cmake --build build/run -j "$(nproc)"

demo=assets/demo.mp3
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/run/app/quelm ]; then
  exec build/run/app/quelm "$demo"
fi
exec build/run/cli/korvel info "$demo"
